// The built-in shaders by name quark, made in a space and given the request's
// parameter values. Unknown names give null.
#ifndef QEL_SHADING_SHADERFACTORY_H
#define QEL_SHADING_SHADERFACTORY_H

namespace quelmark {

class ArgList;
class Light;
class Shader;
class Transform;

// "constant", "diffuse", "metal", "plastic".
Shader* makeSurfaceShader(unsigned short name, const ArgList& args, Transform* space);
// "depthcue", "fog".
Shader* makeVolumeShader(unsigned short name, const ArgList& args, Transform* space);
// "ambient", "omni" (a point light), "distant", "spot".
Light* makeLightShader(unsigned short name, const ArgList& args, Transform* space);

} // namespace quelmark

#endif
