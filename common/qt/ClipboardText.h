// Plain text to and from the system clipboard. Neither waits nor retries:
// a clipboard that cannot be had gives false or the empty string at once.
#pragma once

#include <QString>

namespace kivra {

// Puts the text on the clipboard in place of everything it held; true when
// the clipboard holds it afterwards.
bool SetClipboardText(const QString& text);

// The clipboard's text, or the empty string when it holds none.
QString GetClipboardText();

}  // namespace kivra
