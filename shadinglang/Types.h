// Moved to shadercode/Types.h; this name stays until the checker's files
// include the new one.
#include "shadercode/Types.h"
