// Text that came from a file, made safe to show on a terminal: control
// bytes (NUL among them), the C1 controls and bytes that are not part of
// valid UTF-8 appear as escapes (\n, \r and \t by name, the others as
// \xHH); valid UTF-8 and printable ASCII stay as they are.
#ifndef QEL_COMMON_PRINTABLETEXT_H
#define QEL_COMMON_PRINTABLETEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace quelmark {

// The byte count of the valid UTF-8 sequence at the start of text, or 0.
size_t utf8SequenceLength(std::string_view text);
// Whether the text needs no escape.
bool isPrintableText(std::string_view text);
std::string printableText(std::string_view text);

} // namespace quelmark

#endif
