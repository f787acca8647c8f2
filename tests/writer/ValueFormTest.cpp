// The value forms of the scene file as the writer writes them: numbers in
// the shortest text that reads back exactly, strings with the reader's escapes, enumerators by name,
// and parameter values by the class and type of their quark.
#include "WriterFixture.h"
#include "sceneread/rendqel.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

using namespace quelmark;

namespace {

class ValueFormTest : public WriterFixture {
protected:
    // Reads a scene file with the scene reader, whose requests come back to
    // the writer and go into a second file; the text of that file.
    std::string readAndWriteAgain(const std::string& file) {
        std::string copy = path("copy.qel");
        std::ifstream in(file, std::ios::binary);
        qelOutputFile(QEL_FORMAT_QEL, copy.c_str());
        {
            String frame;
            rendqel reader(in, file.c_str(), frame);
            reader.parse();
        }
        qelOutputFile(QEL_FORMAT_QEL, nullptr);
        return readText(copy);
    }
};

// The %g text with the fewest significant digits that reads back to the value.
std::string shortestG(float value) {
    char text[64];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    return text;
}

// Every number reads back exactly, in text no longer than any %g form that does.
TEST_F(ValueFormTest, NumbersAreWrittenInTheShortestTextThatReadsBackExactly) {
    std::vector<float> values = {0.0f,    -0.0f,    1.0f,       -1.5f,     0.1f,    1e-4f,
                                 1e-5f,   123456.0f, 1234567.0f, 999999.5f, 1e6f,    1e38f,
                                 FLT_MAX, -FLT_MAX, FLT_MIN,    1e-45f,    0.333333f, 2.5e-7f};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<uint32_t> bits;
    std::uniform_real_distribution<float> plain(-1000, 1000);
    for (int k = 0; k < 6000; ++k) {
        uint32_t pattern = bits(random);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
        values.push_back(plain(random));
        values.push_back(std::round(plain(random) * 100) / 100);
    }
    while (values.size() % 3) values.push_back(0.5f);
    Lines written = write([&] {
        for (size_t k = 0; k < values.size(); k += 3)
            qelTranslate(values[k], values[k + 1], values[k + 2]);
    });
    ASSERT_EQ(written.size(), values.size() / 3);
    for (size_t line = 0; line < written.size(); ++line) {
        std::istringstream words(written[line].substr(written[line].find(' ') + 1));
        for (size_t k = 0; k < 3; ++k) {
            std::string word;
            words >> word;
            float value = values[3 * line + k];
            float back = std::strtof(word.c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << word << " for " << value;
            EXPECT_LE(word.size(), shortestG(value).size()) << word;
        }
    }
    // not a number and the infinities as %g writes them
    EXPECT_EQ(write([] { qelTranslate(INFINITY, -INFINITY, NAN); }),
              Lines{"qelTranslate inf -inf nan"});
}

TEST_F(ValueFormTest, IntegersAreDecimal) {
    EXPECT_EQ(line([] { qelColorQuantize(LONG_MIN, -1, LONG_MAX); }),
              "qelColorQuantize " + std::to_string(LONG_MIN) + " -1 " + std::to_string(LONG_MAX));
}

TEST_F(ValueFormTest, BooleansAreWrittenAsGiven) {
    EXPECT_EQ(write([] {
                  qelMatteObject(0);
                  qelBackface(1);
                  qelMatteObject(2);
              }),
              (Lines{"qelMatteObject 0", "qelBackface 1", "qelMatteObject 2"}));
}

TEST_F(ValueFormTest, PlainStringsAreWrittenAsTheyAre) {
    EXPECT_EQ(write([] {
                  qelObjectName("a plain name, with 'quotes' & caf\xc3\xa9");
                  qelObjectName("");
                  qelObjectName(nullptr);
              }),
              (Lines{"qelObjectName \"a plain name, with 'quotes' & caf\xc3\xa9\"",
                     "qelObjectName \"\"", "qelObjectName null"}));
}

TEST_F(ValueFormTest, QuotesBackslashesAndControlCharactersAreEscaped) {
    EXPECT_EQ(line([] { qelObjectName("say \"hi\" \\ \n\t\r\b\f\x01\x1f\x7f."); }),
              "qelObjectName \"say \\\"hi\\\" \\\\ \\n\\t\\r\\b\\f\\001\\037\\177.\"");
    // An octal escape always has three digits, so a digit after it stays a digit.
    EXPECT_EQ(line([] { qelGroupName("\x01" "7"); }), "qelGroupName \"\\0017\"");
}

TEST_F(ValueFormTest, EveryStringSurvivesTheReader) {
    std::string every;
    for (int c = 1; c < 256; ++c) every.push_back(char(c));
    std::string original = path("strings.qel");
    qelOutputFile(QEL_FORMAT_QEL, original.c_str());
    qelObjectName(every.c_str());
    qelGroupName("\\\"\n\"\\");
    qelOutputDisplay("line one\nline two");
    qelQuark("odd \"name\"\n");
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    std::string text = readText(original);
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(readAndWriteAgain(original), text);
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(ValueFormTest, EnumeratorsAreWrittenByName) {
    struct Named {
        short code;
        const char* name;
    };
    const Named named[] = {
        {0x000, "null"},
        {0x100, "gaussian"},
        {0x101, "catmullrom"},
        {0x102, "box"},
        {0x103, "triangle"},
        {0x104, "sinc"},
        {0x105, "mitchell"},
        {0x106, "narrowgaussian"},
        {0x201, "tiff"},
        {0x202, "png"},
        {0x203, "openexr"},
        {0x204, "zfile"},
        {0x205, "window"},
        {0x301, "rgb"},
        {0x302, "a"},
        {0x303, "rgba"},
        {0x304, "z"},
        {0x305, "rgbz"},
        {0x306, "az"},
        {0x307, "rgbaz"},
        {0x400, "zbuffer"},
        {0x401, "paint"},
        {0x500, "flat"},
        {0x501, "gouraud"},
        {0x600, "lh"},
        {0x601, "rh"},
        {0x602, "inside"},
        {0x603, "outside"},
        {0x604, "reverse"},
        {0x700, "bilinear"},
        {0x701, "bicubic"},
        {0x800, "ubasis"},
        {0x801, "vbasis"},
        {0x802, "uvbasis"},
        {0x900, "bezier"},
        {0x901, "bspline"},
        {0x902, "catmullrom"},
        {0x903, "hermite"},
        {0x904, "power"},
        {0xA00, "wrap"},
        {0xA01, "nowrap"},
        {0xA02, "clamp"},
        {0xB01, "info"},
        {0xB02, "warning"},
        {0xB03, "iw"},
        {0xB04, "error"},
        {0xB05, "ie"},
        {0xB06, "we"},
        {0xB07, "iwe"},
        {0xB08, "severe"},
        {0xB09, "is"},
        {0xB0A, "ws"},
        {0xB0B, "iws"},
        {0xB0C, "es"},
        {0xB0E, "wes"},
        {0xB0F, "iwes"},
        {0xC00, "ignore"},
        {0xC01, "print"},
        {0xC02, "abort"},
        {0xD00, "no"},
        {0xD01, "const"},
        {0xD02, "vary"},
        {0xD03, "vertex"},
        {0xE00, "no"},
        {0xE01, "float"},
        {0xE02, "integer"},
        {0xE03, "string"},
        {0xE04, "pair"},
        {0xE05, "point"},
        {0xE06, "pointw"},
        {0xE07, "color"},
        {0xF00, "primitive"},
        {0xF01, "union"},
        {0xF02, "intersection"},
        {0xF03, "difference"},
        // Codes without a name.
        {0x001, "null"},
        {0x107, "null"},
        {0x200, "null"},
        {0x206, "null"},
        {0x300, "null"},
        {0x308, "null"},
        {0xB00, "null"},
        {0xB0D, "null"},
        {0xB10, "null"},
        {0xE08, "null"},
        {0xF04, "null"},
        {0x1000, "null"},
        {0x1234, "null"},
        {-1, "null"},
    };
    Lines expected;
    for (const Named& entry : named)
        expected.push_back(std::string("qelHider \"") + entry.name + "\"");
    EXPECT_EQ(write([&] {
                  for (const Named& entry : named) qelHider(entry.code);
              }),
              expected);
}

TEST_F(ValueFormTest, ParametersOfNoClassAreSingleValues) {
    unsigned short count = qelVariable("count", QEL_CLASS_NO, QEL_TYPE_INTEGER);
    unsigned short label = qelVariable("label", QEL_CLASS_NO, QEL_TYPE_STRING);
    unsigned short weight = qelVariable("weight", QEL_CLASS_NO, QEL_TYPE_FLOAT);
    unsigned short offset = qelVariable("offset", QEL_CLASS_NO, QEL_TYPE_PAIR);
    unsigned short origin = qelVariable("origin", QEL_CLASS_NO, QEL_TYPE_POINT);
    unsigned short place = qelVariable("place", QEL_CLASS_NO, QEL_TYPE_POINTW);
    unsigned short tint = qelVariable("tint", QEL_CLASS_NO, QEL_TYPE_COLOR);
    long five = 5;
    const char* text = "a \"b\"";
    float half = 0.5f, pair[2] = {1, 2}, point[3] = {1, 2, 3}, pointw[4] = {1, 2, 3, 4};
    float rgb[3] = {0.1f, 0.2f, 0.3f};
    unsigned short plastic = qelQuark("plastic");
    EXPECT_EQ(line([&] {
                  qelSurface(plastic, count, &five, label, &text, weight, &half,
                             offset, pair, origin, point, place, pointw, tint, rgb, 0);
              }),
              "qelSurface \"plastic\" \"count\" 5 \"label\" \"a \\\"b\\\"\" \"weight\" 0.5 "
              "\"offset\" [1 2] \"origin\" [1 2 3] \"place\" [1 2 3 4] \"tint\" [0.1 0.2 0.3]");
}

TEST_F(ValueFormTest, ParametersOfTheOtherClassesAreArraysOfTheirCount) {
    unsigned short ids = qelVariable("ids", QEL_CLASS_CONST, QEL_TYPE_INTEGER);
    unsigned short names = qelVariable("names", QEL_CLASS_CONST, QEL_TYPE_STRING);
    unsigned short scale = qelVariable("scale", QEL_CLASS_CONST, QEL_TYPE_FLOAT);
    unsigned short st = qelVariable("st", QEL_CLASS_VARY, QEL_TYPE_PAIR);
    unsigned short width = qelVariable("width", QEL_CLASS_VERTEX, QEL_TYPE_FLOAT);
    unsigned short color = qelQuark("color");
    long id = 7;
    const char* name = "n";
    float one = 1, pairs[8] = {0, 0, 1, 0, 0, 1, 1, 1}, widths[4] = {1, 2, 3, 4};
    float colors[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
    EXPECT_EQ(line([&] {
                  qelSphere(1, -1, 1, 360, ids, &id, names, &name, scale, &one, st, pairs, width,
                            widths, color, colors, 0);
              }),
              "qelSphere 1 -1 1 360 \"ids\" [7] \"names\" [\"n\"] \"scale\" [1] \"st\" [0 0 1 0 "
              "0 1 1 1] \"width\" [1 2 3 4] \"color\" [1 0 0 0 1 0 0 0 1 1 1 1]");
}

TEST_F(ValueFormTest, ColoursHaveTheCurrentColourSamples) {
    float toRgb[6] = {1, 1, 1, 0, 0, 0}, fromRgb[6] = {0.3f, 0.3f, 0.3f, 0, 0, 0};
    unsigned short color = qelQuark("color");
    float grey[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    EXPECT_EQ(write([&] {
                  qelColorSpace(2, toRgb, fromRgb);
                  qelPolygon(4, color, grey, 0);
              }),
              (Lines{"qelColorSpace 2 [1 1 1 0 0 0] [0.3 0.3 0.3 0 0 0]",
                     "qelPolygon 4 \"color\" [0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8]"}));
}

TEST_F(ValueFormTest, ParametersWithoutValueTypeAreLeftOut) {
    unsigned short plastic = qelQuark("plastic"), roughness = qelQuark("roughness");
    float rough = 0.2f;
    EXPECT_EQ(line([&] { qelSurface(plastic, plastic, &rough, roughness, &rough, 0); }),
              "qelSurface \"plastic\" \"roughness\" [0.2]");
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(ValueFormTest, ParametersThatCannotBeWrittenAreReportedAndLeftOut) {
    unsigned short color = qelQuark("color"), kd = qelQuark("Kd");
    float rgb[12] = {};
    unsigned short tokens[2] = {60000, color};
    void* values[2] = {rgb, nullptr};
    EXPECT_EQ(write([&] {
                  qelSphere(1, -1, 1, 360, 60000, rgb, color, rgb, 0);
                  qelSphereV(1, -1, 1, 360, 2, tokens, values);
                  qelSphereV(1, -1, 1, 360, -1, tokens, values);
                  qelSphereV(1, -1, 1, 360, 2, nullptr, values);
                  qelSurface(kd, 0);
              }),
              (Lines{"qelSphere 1 -1 1 360 \"color\" [0 0 0 0 0 0 0 0 0 0 0 0]",
                     "qelSphere 1 -1 1 360", "qelSphere 1 -1 1 360", "qelSphere 1 -1 1 360",
                     "qelSurface \"Kd\""}));
    EXPECT_EQ(reports(),
              (Lines{"error: Declare type syntax error. qelSphere: unknown parameter token 60000",
                     "error: Declare type syntax error. qelSphereV: unknown parameter token 60000",
                     "error: Parameter out of range. qelSphereV: count -1 out of range",
                     "error: Required parameters not provided. qelSphereV: parameter list must "
                     "not be null"}));
    unsigned short only[1] = {color};
    EXPECT_EQ(line([&] { qelSphereV(1, -1, 1, 360, 1, only, values + 1); }),
              "qelSphere 1 -1 1 360");
    EXPECT_EQ(reports(), (Lines{"error: Required parameters not provided. qelSphereV: parameter "
                                "\"color\" has no values"}));
}

TEST_F(ValueFormTest, MissingArraysAreWrittenAsNullAndReported) {
    EXPECT_EQ(write([] {
                  qelColor(nullptr);
                  qelBound(nullptr);
                  qelHyperboloid(nullptr, nullptr, 360, 0);
                  qelSurface(0, 0);
              }),
              (Lines{"qelColor null", "qelBound null", "qelHyperboloid null null 360",
                     "qelSurface null"}));
    EXPECT_EQ(reports(),
              (Lines{"error: Required parameters not provided. qelColor: colour must not be null",
                     "error: Required parameters not provided. qelBound: bound must not be null",
                     "error: Required parameters not provided. qelHyperboloid: point1 must not be "
                     "null",
                     "error: Parameter out of range. qelSurface: unknown shader 0"}));
}

} // namespace
