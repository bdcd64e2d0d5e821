Attribute VB_Name = "KivraObject"
' The object that the tagged code calls: with the tag prefix "Kivra." the
' inserted lines read Kivra.Start "Name", ... and Kivra.St0p.
Option Explicit

Public Kivra As New KivraTimer

' The timing object's calibration (see KivraTimer.cls): the calls it times
' go through Kivra, as tagged code's calls do.
Public Function KivraCalibrationReaches() As Boolean
    KivraCalibrationReaches = Kivra.CalibrationAsked()
End Function

' The milliseconds per call of a loop of timed (or untimed) calls that runs
' for Ms milliseconds or a little more, from one tick of the clock to
' another; Calls says how many it made.
Public Function KivraCalibrationLoop(ByVal Timed As Boolean, ByVal Ms As Double, Calls As Long) As Double
    Dim First As Double
    Dim Last As Double
    Dim I As Long
    First = GetSystemTicks()
    Do
        Last = GetSystemTicks()
    Loop While Last = First
    First = Last
    If Timed Then
        Do
            I = I + 1
            KivraTimedCall I
            Last = GetSystemTicks()
        Loop While Last - First < Ms
    Else
        Do
            I = I + 1
            KivraUntimedCall I
            Last = GetSystemTicks()
        Loop While Last - First < Ms
    End If
    Calls = I
    KivraCalibrationLoop = (Last - First) / I
End Function

Private Sub KivraTimedCall(ByVal I As Long)
    Kivra.Start "Kivra calibration", I
    Kivra.St0p
End Sub

Private Sub KivraUntimedCall(ByVal I As Long)
End Sub
