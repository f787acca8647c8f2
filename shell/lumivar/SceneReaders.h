// Which scene reader reads a file: the RIB reader for a name ending in
// ".rib", ".rib.gz" or ".ribz" (in any case), the QEL reader for any other
// name, unless the command line chose one format for every file. Whether
// the file is gzip data is told from its content, in either format.
#ifndef QEL_SHELL_LUMIVAR_SCENEREADERS_H
#define QEL_SHELL_LUMIVAR_SCENEREADERS_H

#include "shell/TProgressDialog.h"
#include "shell/lumivar/CommandLine.h"

#include <string>

namespace quelmark {

class SceneReaders {
public:
    explicit SceneReaders(CommandLine::Format format) : fFormat(format) {}

    // Fits TProgressDialog::StepsFactory.
    std::unique_ptr<SceneSteps> operator()(std::istream& in, const char* fileName,
                                           String& frameName) const;

    static bool isRibName(const std::string& name);

private:
    CommandLine::Format fFormat;
};

} // namespace quelmark

#endif
