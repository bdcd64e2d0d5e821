Attribute VB_Name = "KivraCalibration"
' The timing object's calibration (see KivraTimer.cls). The calls it times
' go through Kivra from a module of their own, as tagged code's calls do:
' from the module that declares Kivra they would cost less.
Option Explicit

' True when Kivra is the timing object that asks.
Public Function KivraCalibrationReaches() As Boolean
    KivraCalibrationReaches = Kivra.CalibrationAsked()
End Function

' Waits for the clock's next tick and gives its time.
Public Function KivraNextTick() As Double
    Dim First As Double
    Dim Last As Double
    First = GetSystemTicks()
    Do
        Last = GetSystemTicks()
    Loop While Last = First
    KivraNextTick = Last
End Function

' A loop of timed (or untimed) calls from the time Since, a tick of the
' clock, for Ms milliseconds or a little more, to the first reading of the
' clock past them: how long it took. Since becomes that reading, so that
' the next loop starts where this one ended; Calls says how many calls it
' made.
Public Function KivraCalibrationLoop(ByVal Timed As Boolean, ByVal Ms As Double, Since As Double, _
                                     Calls As Long) As Double
    Dim Last As Double
    Dim I As Long
    If Timed Then
        Do
            I = I + 1
            KivraTimedCall I
            Last = GetSystemTicks()
        Loop While Last - Since < Ms
    Else
        Do
            I = I + 1
            KivraUntimedCall I
            Last = GetSystemTicks()
        Loop While Last - Since < Ms
    End If
    Calls = I
    KivraCalibrationLoop = Last - Since
    Since = Last
End Function

Private Sub KivraTimedCall(ByVal I As Long)
    Kivra.Start "Kivra calibration", I
    Kivra.St0p
End Sub

Private Sub KivraUntimedCall(ByVal I As Long)
End Sub
