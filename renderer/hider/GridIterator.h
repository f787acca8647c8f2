// Walks a grid micropolygon by micropolygon, row by row, with the shorter
// rows of a triangular grid.
#ifndef QEL_HIDER_GRIDITERATOR_H
#define QEL_HIDER_GRIDITERATOR_H

#include "renderer/hider/MicroPolygon.h"

namespace quelmark {

class GridIterator {
public:
    explicit GridIterator(const Grid* grid) : fGrid(grid), fMicro(grid) { restart(); }

    void restart() {
        fI = 0;
        fJ = 0;
        fRowLength = fGrid->nu();
    }

    // Advances, then gives the micropolygon there; null past the last.
    const MicroPolygon* operator++() {
        if (!advance()) return nullptr;
        fMicro.place(fI, fJ);
        return &fMicro;
    }

    // Gives the micropolygon here, then advances; null past the last.
    const MicroPolygon* operator++(int) {
        if (fJ >= fGrid->nv()) return nullptr;
        fMicro.place(fI, fJ);
        advance();
        return &fMicro;
    }

private:
    bool advance() {
        if (fI < fRowLength - 1) {
            ++fI;
            return true;
        }
        if (fJ < fGrid->nv() - 1) {
            ++fJ;
            fI = 0;
            fRowLength = fGrid->microRowLength(fJ);
            return true;
        }
        fJ = fGrid->nv();
        return false;
    }

    const Grid* fGrid;
    MicroPolygon fMicro;
    int fI = 0;
    int fJ = 0;
    int fRowLength = 0;
};

} // namespace quelmark

#endif
