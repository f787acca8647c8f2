// The programs' reading loops, each over any bytes as a scene file: the
// application opening the file (gzip-compressed for some inputs), the
// progress dialog stepping the reader, and the message window placing,
// escaping and collapsing the reports. The requests go to the recording
// stand-in of the qel API. For the fuzz targets and their regression corpus.
#ifndef QEL_TESTS_READINGLOOPS_H
#define QEL_TESTS_READINGLOOPS_H

#include <cstddef>
#include <string>

// lumivar's loop, reading the bytes as QEL or RIB as the variant says; the
// lines its message window shows.
size_t renderLoop(const std::string& bytes, unsigned variant);
// tessaran's loop, converting the bytes as RIB.
size_t convertLoop(const std::string& bytes, unsigned variant);

#endif
