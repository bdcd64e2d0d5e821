// Basic source texts that look like real modules, for the tagger's tests
// and benchmarks. Lines are joined by CR LF; no text ends with a line break.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivra::test {

inline std::string JoinCrLf(const std::vector<std::string_view>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    return text;
}

// The function of the tagger's worked example, before tagging.
inline std::string AreaFunction() {
    return JoinCrLf({
        "Private Function Area(ByVal W As Long, Optional H As Long = 1) As Long",
        "    If W = 0 Then",
        "        Exit Function",
        "    End If",
        "    Area = W * H",
        "End Function",
    });
}

// The same function tagged with the prefix Kivra., Functions and Parameters
// chosen (without the final line break that a run adds).
inline std::string TaggedAreaFunction() {
    return JoinCrLf({
        "Private Function Area(ByVal W As Long, Optional H As Long = 1) As Long",
        "Kivra.Start \"Area\", W, H",
        "    If W = 0 Then",
        "Kivra.St0p",
        "        Exit Function",
        "    End If",
        "    Area = W * H",
        "Kivra.St0p Area",
        "End Function",
    });
}

// A class with Public Property Get, Let and Set.
inline std::string AccountClass() {
    return JoinCrLf({
        "VERSION 1.0 CLASS",
        "BEGIN",
        "  MultiUse = -1  'True",
        "END",
        "Attribute VB_Name = \"Account\"",
        "Option Explicit",
        "",
        "Private mTotal As Long",
        "Private mOwner As Object",
        "",
        "Public Property Get Total() As Long",
        "    Total = mTotal",
        "End Property",
        "",
        "Public Property Let Total(ByVal Value As Long)",
        "    If Value < 0 Then Exit Property",
        "    mTotal = Value",
        "End Property",
        "",
        "Public Property Set Owner(ByVal NewOwner As Object)",
        "    Set mOwner = NewOwner",
        "End Property",
        "",
        "Private Function Clamp(ByVal X As Long, Optional ByVal Lo As Long = 0) As Long",
        "    If X < Lo Then",
        "        Clamp = Lo",
        "        Exit Function",
        "    End If",
        "    Clamp = X",
        "End Function",
    });
}

// A form with event procedures and a helper of each kind.
inline std::string OrdersForm() {
    return JoinCrLf({
        "VERSION 5.00",
        "Begin VB.Form frmOrders",
        "   Caption         =   \"Orders\"",
        "   Begin VB.CommandButton cmdSave",
        "      Caption         =   \"Save\"",
        "   End",
        "End",
        "Attribute VB_Name = \"frmOrders\"",
        "Option Explicit",
        "",
        "Private Sub Form_Load()",
        "    LoadOrders",
        "End Sub",
        "",
        "Private Sub cmdSave_Click()",
        "    If Not Valid() Then",
        "        Exit Sub",
        "    End If",
        "    SaveOrders",
        "End Sub",
        "",
        "Private Sub LoadOrders()",
        "    Dim i As Integer",
        "    For i = 1 To 10",
        "        If i = 5 Then",
        "            Exit Sub",
        "        End If",
        "    Next",
        "End Sub",
        "",
        "Private Function Valid() As Boolean",
        "    Valid = True",
        "End Function",
    });
}

// A module with line continuations, an old-style header with a blank before
// its parenthesis and an array parameter.
inline std::string MathModule() {
    return JoinCrLf({
        "Attribute VB_Name = \"modMath\"",
        "Option Explicit",
        "",
        "Public Function Sum(ByVal A As Long, _",
        "                    ByVal B As Long) As Long",
        "    Sum = A + B",
        "End Function",
        "",
        "Sub Swap (Var1, Var2)",
        "    Dim T",
        "    T = Var1: Var1 = Var2: Var2 = T",
        "End Sub",
        "",
        "Public Sub Report(Items() As Long, Optional Title = \"Total\")",
        "    Debug.Print Title; _",
        "        Sum(Items(0), Items(1))",
        "End Sub",
    });
}

// A module of about lineCount lines made of procedures of every kind.
inline std::string GeneratedModule(std::size_t lineCount) {
    std::string text = "Attribute VB_Name = \"modGenerated\"\r\nOption Explicit\r\n";
    std::size_t lines = 2;
    for (std::size_t i = 0; lines < lineCount; ++i) {
        const std::string n = std::to_string(i);
        text += "\r\n";
        text += "Public Function Compute" + n + "(ByVal A As Long, Optional ByVal B As Long = 2) As Long\r\n";
        text += "    Dim Result As Long\r\n";
        text += "    If A = 0 Then\r\n";
        text += "        Exit Function\r\n";
        text += "    End If\r\n";
        text += "    ' Keep the old Kivra.Start call of the logger in mind\r\n";
        text += "    Result = A * B + Len(\"Kivra. is no call\")\r\n";
        text += "    Compute" + n + " = Result\r\n";
        text += "End Function\r\n";
        text += "\r\n";
        text += "Private Sub cmdRun" + n + "_Click()\r\n";
        text += "    Call Compute" + n + "(1, 2)\r\n";
        text += "End Sub\r\n";
        text += "\r\n";
        text += "Public Property Get Value" + n + "() As Long\r\n";
        text += "    Value" + n + " = mValue\r\n";
        text += "End Property\r\n";
        text += "\r\n";
        text += "Sub Swap" + n + " (Var1, Var2)\r\n";
        text += "    Dim T\r\n";
        text += "    T = Var1: Var1 = Var2: Var2 = T\r\n";
        text += "    If Var1 > Var2 then exit sub\r\n";
        text += "End Sub";
        lines += 24;
        if (lines < lineCount) text += "\r\n";
    }
    return text;
}

}  // namespace kivra::test
