Attribute VB_Name = "Demo"
' A small program to time: nested calls, parameters, a recursive function
' and an early exit written on one line.
Option Explicit

Public Sub Main()
    Dim Total As Long
    Total = SumOfSquares(3)
    Total = Total + Area(3, 4)
    Total = Total + Area(0, 4)
    Total = Total + Fib(3)
    Remember "total", Total
End Sub

Private Function SumOfSquares(ByVal N As Long) As Long
    Dim I As Long
    For I = 1 To N
        SumOfSquares = SumOfSquares + Square(I)
    Next
End Function

Private Function Square(ByVal X As Long) As Long
    Square = X * X
End Function

Public Function Area(ByVal W As Long, Optional ByVal H As Long = 1) As Long
    If W = 0 Then Exit Function
    Area = W * H
End Function

Private Function Fib(ByVal N As Long) As Long
    If N < 2 Then
        Fib = N
        Exit Function
    End If
    Fib = Fib(N - 1) + Fib(N - 2)
End Function

Private Sub Remember(ByVal What As String, ByVal Value As Long)
    Dim Note As String
    Note = What & " = " & Value
End Sub
