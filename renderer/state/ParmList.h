// Bindings of parameter quarks to the variables of a shader or of a grid's
// standard variables. A request's or a primitive's ArgList is then laid over
// them: `override` takes the values that do not vary over the surface,
// `bilerp` interpolates the corner values of "vary" parameters at (u, v).
#ifndef QEL_STATE_PARMLIST_H
#define QEL_STATE_PARMLIST_H

#include <vector>

namespace quelmark {

class ArgList;
class ArgAssoc;
struct Color;
struct Point;

struct ParmAssoc {
    unsigned short quark = 0;
    int width = 0;           // floats in the bound variable
    float* target = nullptr; // the variable's first float
};

class ParmList {
public:
    void bind(unsigned short quark, float* value);
    void bind(unsigned short quark, Point* value);
    void bind(unsigned short quark, Color* value);
    // width floats from value on.
    void bind(unsigned short quark, float* value, int width);
    // Whether a variable is bound to the quark.
    bool binds(unsigned short quark) const;

    // Copies the first value of every matching parameter into its variable.
    void override(const ArgList& args) const;
    // Interpolates every matching "vary" parameter bilinearly at (u, v) from
    // its corners (0,0), (1,0), (0,1), (1,1).
    void bilerp(float u, float v, const ArgList& args) const;

    int count() const { return int(fBindings.size()); }
    const std::vector<ParmAssoc>& bindings() const { return fBindings; }
    // The binding an entry's values go to; null for none.
    const ParmAssoc* binding(const ArgAssoc& entry) const;

private:
    std::vector<ParmAssoc> fBindings;
};

} // namespace quelmark

#endif
