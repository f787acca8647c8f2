// Writes a finished image as an uncompressed TIFF file.
//
// Integer images keep their quantised values, clamped to the sample range:
// 8 bits per sample when every "one" in use is at most 255, 16 bits up to
// 65535, 32-bit unsigned above. When any channel holds floats the whole
// image is written as 32-bit IEEE floats, integer channels divided by their
// "one". Colour is RGB with alpha as associated alpha; without colour the
// first channel (alpha or depth) is the grey level. Depth always follows as
// an unspecified extra sample.
#ifndef QEL_DISPLAY_TIFFWRITER_H
#define QEL_DISPLAY_TIFFWRITER_H

class FrameBuffer;

// False when the image is empty or the file cannot be opened or written; a
// file left unfinished is removed.
bool writeTiff(const char* path, const FrameBuffer& image);

#endif
