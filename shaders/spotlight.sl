// A point light shining into a cone round from -> to, its edge softened over
// conedeltaangle and its beam falling off as cos^beamdistribution.
light spotlight(float intensity = 1; color lightcolor = 1;
                point from = point "shader" (0, 0, 0); point to = point "shader" (0, 0, 1);
                float coneangle = radians(30); float conedeltaangle = radians(5);
                float beamdistribution = 2) {
    uniform vector axis = normalize(to - from);
    uniform float outside = cos(coneangle);
    uniform float inside = cos(coneangle - conedeltaangle);
    illuminate(from, axis, coneangle) {
        float cosangle = (L . axis) / length(L);
        float falloff = pow(cosangle, beamdistribution) / (L . L);
        Cl = intensity * lightcolor * falloff * smoothstep(outside, inside, cosangle);
    }
}
