// Reads a scene with reports going nowhere; a file that selects the abort
// handler ends the reading where the program would end, instead of ending
// the process. For the fuzz targets and their regression corpora.
#ifndef QEL_TESTS_GUARDEDREAD_H
#define QEL_TESTS_GUARDEDREAD_H

#include <istream>
#include <string>

// True when the file read to its end, false when it asked to abort.
bool readQelGuarded(std::istream& in);
bool readRibGuarded(std::istream& in);
bool readRibGuarded(const std::string& text);

#endif
