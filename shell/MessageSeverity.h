// The severity of a message line, told from the label the renderer, the
// scene writer or a scene reader puts in front of it.
#ifndef QEL_SHELL_MESSAGESEVERITY_H
#define QEL_SHELL_MESSAGESEVERITY_H

namespace quelmark {

// Ordered: a later value is worse.
enum class Severity { None, Info, Warning, Error, Severe };

// None for a line without a known label ("While rendering ..." lines, the
// shell's own lines).
Severity severityOf(const char* line);

} // namespace quelmark

#endif
