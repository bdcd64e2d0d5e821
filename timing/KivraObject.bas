Attribute VB_Name = "KivraObject"
' The object that the tagged code calls: with the tag prefix "Kivra." the
' inserted lines read Kivra.Start "Name", ... and Kivra.St0p.
Option Explicit

Public Kivra As New KivraTimer

