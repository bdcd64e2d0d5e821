Attribute VB_Name = "modTotals"
Option Explicit

Public Function OrdersTotal(ByVal Orders As Collection) As Currency
    Dim Order As clsOrder
    For Each Order In Orders
        OrdersTotal = OrdersTotal + Order.Amount
    Next
End Function

Public Function WithTax(ByVal Amount As Currency, Optional ByVal Rate As Double = 0.2) As Currency
    WithTax = Amount * (1 + Rate)
End Function
