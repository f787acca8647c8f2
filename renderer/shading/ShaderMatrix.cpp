#include "renderer/shading/ShaderMatrix.h"

#include <cmath>

namespace quelmark {

namespace {

constexpr int kSize = 4;

float& at(ShaderMatrix& matrix, int row, int column) {
    return matrix[std::size_t(row * kSize + column)];
}
float at(const ShaderMatrix& matrix, int row, int column) {
    return matrix[std::size_t(row * kSize + column)];
}

using Rows = std::array<std::array<double, 2 * kSize>, kSize>;

// The matrix beside the identity, for elimination in double precision.
Rows augmented(const ShaderMatrix& matrix) {
    Rows rows{};
    for (int row = 0; row < kSize; ++row) {
        for (int column = 0; column < kSize; ++column)
            rows[std::size_t(row)][std::size_t(column)] = at(matrix, row, column);
        rows[std::size_t(row)][std::size_t(kSize + row)] = 1;
    }
    return rows;
}

// The row at or below column with the largest entry in that column.
int pivotRow(const Rows& rows, int column) {
    int best = column;
    for (int row = column + 1; row < kSize; ++row)
        if (std::fabs(rows[std::size_t(row)][std::size_t(column)]) >
            std::fabs(rows[std::size_t(best)][std::size_t(column)]))
            best = row;
    return best;
}

// Clears the column from every other row with the pivot's row.
void eliminate(Rows& rows, int column) {
    auto& pivot = rows[std::size_t(column)];
    const double scale = 1 / pivot[std::size_t(column)];
    for (double& value : pivot)
        value *= scale;
    for (int row = 0; row < kSize; ++row) {
        if (row == column) continue;
        auto& other = rows[std::size_t(row)];
        const double factor = other[std::size_t(column)];
        for (std::size_t k = 0; k < other.size(); ++k)
            other[k] -= factor * pivot[k];
    }
}

// The cofactors of the upper 3 by 3 part, in a 4 by 4 matrix: the inverse
// transpose of that part up to its determinant.
ShaderMatrix upperCofactors(const ShaderMatrix& m) {
    ShaderMatrix cofactors = identityMatrix();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const int r1 = (row + 1) % 3, r2 = (row + 2) % 3;
            const int c1 = (column + 1) % 3, c2 = (column + 2) % 3;
            at(cofactors, row, column) =
                at(m, r1, c1) * at(m, r2, c2) - at(m, r1, c2) * at(m, r2, c1);
        }
    }
    return cofactors;
}

} // namespace

ShaderMatrix diagonalMatrix(float value) {
    ShaderMatrix matrix{};
    for (int k = 0; k < kSize; ++k)
        at(matrix, k, k) = value;
    return matrix;
}

ShaderMatrix matrixProduct(const ShaderMatrix& first, const ShaderMatrix& then) {
    ShaderMatrix product{};
    for (int row = 0; row < kSize; ++row) {
        for (int column = 0; column < kSize; ++column) {
            double sum = 0;
            for (int k = 0; k < kSize; ++k)
                sum += double(at(first, row, k)) * at(then, k, column);
            at(product, row, column) = float(sum);
        }
    }
    return product;
}

float matrixDeterminant(const ShaderMatrix& matrix) {
    Rows rows = augmented(matrix);
    double determinant = 1;
    for (int column = 0; column < kSize; ++column) {
        const int pivot = pivotRow(rows, column);
        if (rows[std::size_t(pivot)][std::size_t(column)] == 0) return 0;
        if (pivot != column) {
            std::swap(rows[std::size_t(pivot)], rows[std::size_t(column)]);
            determinant = -determinant;
        }
        determinant *= rows[std::size_t(column)][std::size_t(column)];
        eliminate(rows, column);
    }
    return float(determinant);
}

std::optional<ShaderMatrix> matrixInverse(const ShaderMatrix& matrix) {
    Rows rows = augmented(matrix);
    for (int column = 0; column < kSize; ++column) {
        const int pivot = pivotRow(rows, column);
        if (rows[std::size_t(pivot)][std::size_t(column)] == 0) return std::nullopt;
        std::swap(rows[std::size_t(pivot)], rows[std::size_t(column)]);
        eliminate(rows, column);
    }
    ShaderMatrix inverse{};
    for (int row = 0; row < kSize; ++row)
        for (int column = 0; column < kSize; ++column)
            at(inverse, row, column) = float(rows[std::size_t(row)][std::size_t(kSize + column)]);
    return inverse;
}

ShaderMatrix matrixTranspose(const ShaderMatrix& matrix) {
    ShaderMatrix transposed{};
    for (int row = 0; row < kSize; ++row)
        for (int column = 0; column < kSize; ++column)
            at(transposed, column, row) = at(matrix, row, column);
    return transposed;
}

ShaderTriple transformPoint(const ShaderMatrix& m, const ShaderTriple& p) {
    ShaderTriple result;
    for (int column = 0; column < 3; ++column)
        result[std::size_t(column)] = p[0] * at(m, 0, column) + p[1] * at(m, 1, column) +
                                      p[2] * at(m, 2, column) + at(m, 3, column);
    const float w = p[0] * at(m, 0, 3) + p[1] * at(m, 1, 3) + p[2] * at(m, 2, 3) + at(m, 3, 3);
    if (w != 0 && w != 1)
        for (float& component : result)
            component /= w;
    return result;
}

ShaderTriple transformVector(const ShaderMatrix& m, const ShaderTriple& v) {
    ShaderTriple result;
    for (int column = 0; column < 3; ++column)
        result[std::size_t(column)] =
            v[0] * at(m, 0, column) + v[1] * at(m, 1, column) + v[2] * at(m, 2, column);
    return result;
}

ShaderMatrix normalMatrix(const ShaderMatrix& matrix) {
    if (const auto inverse = matrixInverse(matrix)) return matrixTranspose(*inverse);
    return upperCofactors(matrix);
}

ShaderMatrix translationMatrix(const ShaderTriple& offset) {
    ShaderMatrix matrix = identityMatrix();
    for (int column = 0; column < 3; ++column)
        at(matrix, 3, column) = offset[std::size_t(column)];
    return matrix;
}

ShaderMatrix scalingMatrix(const ShaderTriple& factors) {
    ShaderMatrix matrix = identityMatrix();
    for (int k = 0; k < 3; ++k)
        at(matrix, k, k) = factors[std::size_t(k)];
    return matrix;
}

// For row vectors, p' = p cos + (a x p) sin + a (a . p)(1 - cos), a the unit
// axis: row r of the matrix is where the unit vector along r goes.
std::optional<ShaderMatrix> rotationMatrix(float angle, const ShaderTriple& axis) {
    const double length = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] +
                                    double(axis[2]) * axis[2]);
    if (length == 0) return std::nullopt;
    const double x = axis[0] / length, y = axis[1] / length, z = axis[2] / length;
    const double c = std::cos(double(angle)), s = std::sin(double(angle)), t = 1 - c;
    const double rows[3][3] = {
        {t * x * x + c, t * x * y + s * z, t * x * z - s * y},
        {t * y * x - s * z, t * y * y + c, t * y * z + s * x},
        {t * z * x + s * y, t * z * y - s * x, t * z * z + c},
    };
    ShaderMatrix matrix = identityMatrix();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            at(matrix, row, column) = float(rows[row][column]);
    return matrix;
}

} // namespace quelmark
