VERSION 5.00
Begin VB.Form frmOrders 
   Caption         =   "Orders"
   ClientHeight    =   3195
   ClientWidth     =   4680
   Begin VB.CommandButton cmdTotal 
      Caption         =   "Total"
      Height          =   375
      Left            =   120
      Top             =   120
      Width           =   1215
   End
End
Attribute VB_Name = "frmOrders"
Option Explicit

Private mOrders As Collection

Private Sub Form_Load()
    Set mOrders = New Collection
    AddOrder "Tea", 3, 2.5
    AddOrder "Cake", 2, 4
End Sub

Private Sub AddOrder(ByVal Item As String, ByVal Count As Long, ByVal Price As Currency)
    Dim Order As clsOrder
    Set Order = New clsOrder
    Order.Init Item, Count, Price
    mOrders.Add Order
End Sub

Private Sub cmdTotal_Click()
    If mOrders.Count = 0 Then Exit Sub
    Caption = "Total: " & Format(OrdersTotal(mOrders), "0.00")
End Sub
