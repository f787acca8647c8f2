#include "renderer/hider/MicroPolygon.h"

#include <algorithm>

Bound MicroPolygon::bound() const {
    const Point &pa = a().P, &pb = b().P, &pc = c().P, &pd = d().P;
    return Bound(std::min({pa.x, pb.x, pc.x, pd.x}), std::max({pa.x, pb.x, pc.x, pd.x}),
                 std::min({pa.y, pb.y, pc.y, pd.y}), std::max({pa.y, pb.y, pc.y, pd.y}),
                 std::min({pa.z, pb.z, pc.z, pd.z}), std::max({pa.z, pb.z, pc.z, pd.z}));
}

float MicroPolygon::znormal() const {
    const Point &pa = a().P, &pb = b().P, &pc = c().P, &pd = d().P;
    float area = (pb.x - pa.x) * (pb.y + pa.y) + (pd.x - pb.x) * (pd.y + pb.y) +
                 (pc.x - pd.x) * (pc.y + pd.y) + (pa.x - pc.x) * (pa.y + pc.y);
    return fGrid->flipNormal() ? -area : area;
}
