// File-dialog filters as the programs write them, pairs of a description
// and its patterns ending in '|' ("Scene Files (*.QEL)|*.QEL|All Files
// (*.*)|*.*|"), turned into the toolkit's chooser filter. Names match in any
// case and "*.*" matches every name, as the programs' users expect of them.
#ifndef QEL_SHELL_DESKTOP_FILEFILTER_H
#define QEL_SHELL_DESKTOP_FILEFILTER_H

#include <string>

namespace quelmark {

class FileFilter {
public:
    // The chooser's entries, separated by tabs: "Scene Files
    // (*.[Qq][Ee][Ll])", then "*" for every file.
    static std::string chooserFilter(const std::string& pairs);
    // "*.QEL" as "*.[Qq][Ee][Ll]"; "*.*" as "*".
    static std::string anyCasePattern(const std::string& pattern);
};

} // namespace quelmark

#endif
