// Saves every frame's displayed image under one name the user gave. With a
// single frame the image has that name; with several each frame's number
// (from 1) stands before the extension: out.png, then out1.png, out2.png...
// Since nobody knows in advance whether another frame follows, the first
// frame is saved under the plain name and renamed to number 1 when the
// second frame ends. When only some frames are rendered, every image has
// its frame's number from the start.
#ifndef QEL_SHELL_FRAMESAVER_H
#define QEL_SHELL_FRAMESAVER_H

#include <functional>
#include <string>

namespace quelmark {

class FrameSaver {
public:
    // Tells the renderer where the next finished image goes; null stops it.
    using SaveFunc = std::function<void(const char* path)>;

    // Sends the plain name at once, for the first frame; or, when always
    // numbered, the numbered name of frame 1.
    FrameSaver(std::string path, SaveFunc save, bool alwaysNumbered = false);

    // A frame's image has been saved (its display closed): names the next
    // one. At the end of the second frame the first image takes number 1;
    // false when that rename failed, with the reason in problem.
    bool frameFinished(std::string& problem);
    // No further image is saved.
    void stop();

    int frames() const { return fFrames; }
    const std::string& path() const { return fPath; }
    // The name with the number before its extension; a name without an
    // extension gets the number at its end.
    static std::string numberedName(const std::string& path, int number);
    // Why an image cannot be saved under the name, in the system's words;
    // empty when it can. The folder must take a new file, as the image is
    // written beside its name first; an existing file must be writable and
    // no folder.
    static std::string problemWith(const std::string& path);

private:
    std::string fPath;
    SaveFunc fSave;
    bool fAlwaysNumbered;
    int fFrames = 0;
};

} // namespace quelmark

#endif
