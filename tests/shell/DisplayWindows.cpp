// Waits for display windows and closes them, as a user at the screen would.
//   display-windows wait TITLE COUNT SECONDS   until COUNT windows named TITLE are open
//   display-windows close TITLE COUNT SECONDS  the same, then asks each to close
//   display-windows gone TITLE 0 SECONDS       until no window named TITLE is open
// Exit status 0 when the windows came (or went) in time, 1 when not, 2 for a
// usage error.
#include "tests/renderer/display/XClient.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 5 || (std::strcmp(argv[1], "wait") != 0 && std::strcmp(argv[1], "close") != 0 &&
                      std::strcmp(argv[1], "gone") != 0)) {
        std::fprintf(stderr, "usage: display-windows wait|close|gone TITLE COUNT SECONDS\n");
        return 2;
    }
    XClient client;
    if (!client.connected()) {
        std::fprintf(stderr, "display-windows: no window system\n");
        return 1;
    }
    const std::string title = argv[2];
    if (std::strcmp(argv[1], "gone") == 0) {
        for (double waited = 0; !client.windowsNamed(title).empty(); waited += 0.05) {
            if (waited > std::atof(argv[4])) {
                std::fprintf(stderr, "display-windows: \"%s\" is still open\n", title.c_str());
                return 1;
            }
            ::usleep(50000);
        }
        return 0;
    }
    const size_t count = size_t(std::atol(argv[3]));
    std::vector<unsigned long> windows = client.waitForWindows(title, count, std::atof(argv[4]));
    if (windows.size() < count) {
        std::fprintf(stderr, "display-windows: %zu of %zu windows named \"%s\" came\n",
                     windows.size(), count, title.c_str());
        return 1;
    }
    if (std::strcmp(argv[1], "close") == 0)
        for (unsigned long window : windows)
            client.close(window);
    return 0;
}
