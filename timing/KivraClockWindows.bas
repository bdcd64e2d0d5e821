Attribute VB_Name = "KivraClock"
' The timing object's clock on Windows (VB6 and VBA): the performance
' counter, in milliseconds. The timing object reads its clock as
' GetSystemTicks, the name LibreOffice Basic gives its own, so that one
' timing object serves both; here it is this module's function, with the
' fraction of a millisecond that the counter measures.
Option Explicit

#If VBA7 Then
Private Declare PtrSafe Function QueryPerformanceCounter Lib "kernel32" (Count As Currency) As Long
Private Declare PtrSafe Function QueryPerformanceFrequency Lib "kernel32" (Frequency As Currency) As Long
#Else
Private Declare Function QueryPerformanceCounter Lib "kernel32" (Count As Currency) As Long
Private Declare Function QueryPerformanceFrequency Lib "kernel32" (Frequency As Currency) As Long
#End If

Private mFrequency As Currency

Public Function GetSystemTicks() As Double
    Dim Count As Currency
    If mFrequency = 0 Then QueryPerformanceFrequency mFrequency
    QueryPerformanceCounter Count
    ' Both are counts scaled alike (Currency): their ratio is in seconds.
    If mFrequency <> 0 Then GetSystemTicks = Count / mFrequency * 1000# Else GetSystemTicks = Timer * 1000#
End Function

' One tick of the counter: the Currency frequency holds ticks a second
' divided by 10,000.
Public Function KivraResolution() As String
    If mFrequency = 0 Then QueryPerformanceFrequency mFrequency
    If mFrequency <> 0 Then
        KivraResolution = "performance counter, " & Format(0.1 / mFrequency, "0.000000") & " ms"
    Else
        KivraResolution = "Timer"
    End If
End Function
