// A spotlight whose light a shadow map stops: the points its depths hide
// from the light are left in shadow.
light shadowspot(float intensity = 1; color lightcolor = 1;
                 point from = point "shader" (0, 0, 0); point to = point "shader" (0, 0, 1);
                 float coneangle = radians(30); float conedeltaangle = radians(5);
                 float beamdistribution = 2; string shadowname = ""; float samples = 16;
                 float width = 1; float blur = 0; float bias = -1) {
    uniform vector axis = normalize(to - from);
    uniform float outside = cos(coneangle);
    uniform float inside = cos(coneangle - conedeltaangle);
    illuminate(from, axis, coneangle) {
        float cosangle = (L . axis) / length(L);
        float falloff = pow(cosangle, beamdistribution) / (L . L);
        Cl = intensity * lightcolor * falloff * smoothstep(outside, inside, cosangle);
        if (shadowname != "")
            Cl *= 1 - shadow(shadowname, Ps, "samples", samples, "width", width, "blur", blur,
                             "bias", bias);
    }
}
