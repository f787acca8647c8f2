// Reads an OpenEXR file back for the tests: its windows, its channels and
// their values over the data window, as floats.
#ifndef QEL_TESTS_DISPLAY_EXRREADBACK_H
#define QEL_TESTS_DISPLAY_EXRREADBACK_H

#include <ImathBox.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>

#include <map>
#include <string>
#include <vector>

struct ExrReadBack {
    bool opened = false;
    Imath::Box2i displayWindow, dataWindow;
    Imf::Compression compression = Imf::NO_COMPRESSION;
    std::map<std::string, Imf::PixelType> channels;
    std::map<std::string, std::vector<float>> values; // the data window, top row first

    explicit ExrReadBack(const std::string& path) {
        try {
            Imf::InputFile file(path.c_str());
            read(file);
            opened = true;
        } catch (...) {
        }
    }

    std::vector<std::string> channelNames() const {
        std::vector<std::string> names;
        for (const auto& [name, type] : channels)
            names.push_back(name);
        return names;
    }

    // The value of a channel at pixel (x, y) of the whole image.
    float at(const std::string& channel, int x, int y) const {
        int width = dataWindow.max.x - dataWindow.min.x + 1;
        return values.at(channel).at(
            std::size_t((y - dataWindow.min.y) * width + (x - dataWindow.min.x)));
    }

private:
    void read(Imf::InputFile& file) {
        const Imf::Header& header = file.header();
        displayWindow = header.displayWindow();
        dataWindow = header.dataWindow();
        compression = header.compression();
        std::size_t count = std::size_t(dataWindow.max.x - dataWindow.min.x + 1) *
                            std::size_t(dataWindow.max.y - dataWindow.min.y + 1);
        Imf::FrameBuffer slices;
        for (auto channel = header.channels().begin(); channel != header.channels().end();
             ++channel) {
            channels[channel.name()] = channel.channel().type;
            std::vector<float>& plane = values[channel.name()];
            plane.assign(count, -1.0f);
        }
        int width = dataWindow.max.x - dataWindow.min.x + 1;
        for (auto& [name, plane] : values)
            slices.insert(name, Imf::Slice::Make(Imf::FLOAT, plane.data(), dataWindow,
                                                 sizeof(float), sizeof(float) * width));
        file.setFrameBuffer(slices);
        file.readPixels(dataWindow.min.y, dataWindow.max.y);
    }
};

#endif
