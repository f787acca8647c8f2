// What the program driving the renderer asked of every scene: how many
// threads render, which scenes to render, and a crop window and an image
// format in place of the scenes' own.
#ifndef QEL_SCENE_RENDERCONTROL_H
#define QEL_SCENE_RENDERCONTROL_H

namespace quelmark {

class Option;

class RenderControl {
public:
    // 0 means one per core; until set, the QEL_THREADS environment variable
    // or else 0.
    void setThreads(int count);
    // The threads a frame renders with, at least 1.
    int threads() const;
    void setCrop(float xmin, float xmax, float ymin, float ymax);
    void setFrames(long first, long last);
    // A format code of qelRenderOutputFormat; reports any other.
    void setOutputFormat(short format);
    // Whether each frame reports what it took once rendered.
    void setStatistics(bool on) { fStatistics = on; }
    bool statistics() const { return fStatistics; }

    // At the start of a scene: applies the crop window and the output format
    // to its options and numbers the scene; false when the scene is not to
    // be rendered.
    bool beginScene(Option& option);

private:
    int fThreads = -1; // -1 until set
    bool fCropSet = false;
    float fXmin = 0, fXmax = 1, fYmin = 0, fYmax = 1;
    bool fFramesSet = false;
    long fFirst = 1, fLast = 0;
    long fScenes = 0;
    short fOutputFormat = 0; // QEL_NULL: the scenes' own
    bool fStatistics = false;
};

RenderControl& renderControl();

} // namespace quelmark

#endif
