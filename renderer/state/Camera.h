// The camera matrices that the scene begin sets up and the projection
// requests change: world to camera, camera to screen, screen to raster, and
// their product camera to raster.
#ifndef QEL_STATE_CAMERA_H
#define QEL_STATE_CAMERA_H

#include "common/Matrix.h"

namespace quelmark {

extern Matrix gWorldToCamera;
extern Matrix gCameraToScreen;
extern Matrix gScreenToRaster;
extern Matrix gCameraToRaster;

// The camera of a frame as the scene begin set it up.
struct CameraMatrices {
    Matrix worldToCamera, cameraToScreen, cameraToRaster;
};
CameraMatrices currentCamera();

// Recomputes camera to raster as camera to screen times screen to raster.
void updateCameraToRaster();

// Identity camera and screen; the screen window -4/3..4/3 by -1..1 mapped onto
// a 640 by 480 raster.
void resetCamera();

} // namespace quelmark

#endif
