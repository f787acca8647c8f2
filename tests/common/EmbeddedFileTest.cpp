// Files compiled in by qel_embed_file hold exactly the bytes on disk: the
// three icons, an empty file and one whose size fills no whole line.
#include "common/IconImage.h"

#include "embedded/converterIcon.h"
#include "embedded/displayIcon.h"
#include "embedded/embedEmpty.h"
#include "embedded/embedThirteen.h"
#include "embedded/quelmarkIcon.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

using namespace quelmark;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes fileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes embeddedBytes(const unsigned char* data, std::size_t size) {
    return Bytes(data, data + size);
}

} // namespace

TEST(EmbeddedFile, HoldsTheBytesOfTheFile) {
    const Bytes thirteen = fileBytes(QEL_EMBED_THIRTEEN);
    ASSERT_EQ(thirteen.size(), 13u);
    EXPECT_EQ(embeddedBytes(embedded::embedThirteen, embedded::embedThirteenSize), thirteen);
    EXPECT_EQ(embedded::embedEmptySize, 0u);
}

TEST(EmbeddedFile, IconsAreThePngFiles) {
    struct Icon {
        const char* path;
        const unsigned char* data;
        std::size_t size;
    };
    const Icon icons[] = {
        {QEL_DISPLAY_ICON, embedded::displayIcon, embedded::displayIconSize},
        {QEL_QUELMARK_ICON, embedded::quelmarkIcon, embedded::quelmarkIconSize},
        {QEL_CONVERTER_ICON, embedded::converterIcon, embedded::converterIconSize},
    };
    for (const Icon& icon : icons) {
        SCOPED_TRACE(icon.path);
        const Bytes onDisk = fileBytes(icon.path);
        ASSERT_GT(onDisk.size(), 8u);
        EXPECT_EQ(embeddedBytes(icon.data, icon.size), onDisk);
        std::optional<IconImage> image = decodePngIcon(icon.data, icon.size);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 48);
        EXPECT_EQ(image->height, 48);
        EXPECT_EQ(image->rgba[3], 0) << "the top left corner is transparent";
    }
}
