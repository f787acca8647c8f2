// A distant light whose light a shadow map stops.
light shadowdistant(float intensity = 1; color lightcolor = 1;
                    point from = point "shader" (0, 0, 0); point to = point "shader" (0, 0, 1);
                    string shadowname = ""; float samples = 16; float width = 1;
                    float blur = 0; float bias = -1) {
    solar(to - from, 0) {
        Cl = intensity * lightcolor;
        if (shadowname != "")
            Cl *= 1 - shadow(shadowname, Ps, "samples", samples, "width", width, "blur", blur,
                             "bias", bias);
    }
}
