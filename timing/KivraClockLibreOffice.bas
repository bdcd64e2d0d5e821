Attribute VB_Name = "KivraClock"
' The timing object's clock under LibreOffice Basic, and wherever a finer
' one is missing: the system ticks, one millisecond a tick. (LibreOffice's
' Timer moves in whole seconds.)
Option Explicit

Public Function KivraMilliseconds() As Double
    KivraMilliseconds = GetSystemTicks()
End Function

Public Function KivraResolution() As String
    KivraResolution = "system ticks, 1 ms"
End Function
