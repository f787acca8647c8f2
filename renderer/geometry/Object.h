// A retained object: the primitives made between object begin and end,
// instanced later by handle.
#ifndef QEL_GEOMETRY_OBJECT_H
#define QEL_GEOMETRY_OBJECT_H

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
};

#endif
