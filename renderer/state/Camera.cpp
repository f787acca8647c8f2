#include "renderer/state/Camera.h"

namespace quelmark {

Matrix gWorldToCamera;
Matrix gCameraToScreen;
Matrix gScreenToRaster;
Matrix gCameraToRaster;

CameraMatrices currentCamera() { return {gWorldToCamera, gCameraToScreen, gCameraToRaster}; }

void updateCameraToRaster() { gCameraToRaster = gCameraToScreen * gScreenToRaster; }

void resetCamera() {
    gWorldToCamera = gIdentity;
    gCameraToScreen = gIdentity;
    gScreenToRaster = gIdentity;
    gScreenToRaster.map(-4.0f / 3.0f, 4.0f / 3.0f, -1.0f, 1.0f, 640.0f, 480.0f);
    updateCameraToRaster();
}

} // namespace quelmark
