Attribute VB_Name = "KivraClock"
' The timing object's clock under LibreOffice Basic: the timing object
' reads Basic's own GetSystemTicks, the system ticks, one millisecond a
' tick (LibreOffice's Timer moves in whole seconds). Called there directly,
' it costs a fraction of what a call into another module costs.
Option Explicit

Public Function KivraResolution() As String
    KivraResolution = "system ticks, 1 ms"
End Function
