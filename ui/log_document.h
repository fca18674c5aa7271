#pragma once
// A run log between its RTF file and the log viewer's editor: read with our RTF reader, written
// with the engine's log writer (one paragraph per line, each in one colour; red is bold).

#include <string>
#include <string_view>

class QTextDocument;

namespace tarvela::ui {

// Replaces the document's content with the RTF document's paragraphs, colours and bold runs.
void fillDocument(QTextDocument& document, std::string_view rtf);

// The document as the engine's log writer writes it: each paragraph in the colour of its first
// character (black when it has none of its own).
std::string documentToRtf(const QTextDocument& document);

} // namespace tarvela::ui
