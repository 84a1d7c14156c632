// The version texts of the about box: the recorder's firmware version from the card, the
// viewer's own version, and the lines the box shows.
#pragma once

#include <string>
#include <string_view>

namespace trevix {

// [INFO] VERSION of config/version.ini under the card root (looked up without regard to case);
// empty when root is empty or the file or key is missing. At most 259 characters.
std::string ReadRecorderVersion(std::string_view root);

// "%d.%d.%d.%d" of a version "major[.minor[.patch[.build]]]" (missing parts 0); "1.0" when
// version is empty, not of that form, or a part exceeds 65535.
std::string ViewerVersionText(std::string_view version);

// The year of the vendor notice.
inline constexpr int kVendorNoticeYear = 2026;

// The vendor notice line: vendor 1 and 0 name their vendor, every other vendor has none.
std::string VendorNotice(int vendor);

struct AboutInputs {
    std::string appName;
    std::string modelName;
    std::string recorderVersion;
    std::string viewerVersion;
    int vendor = 1;
};

// The texts of the about box, looked up in the language section "GUI".
struct AboutTexts {
    std::string title;        // "<app> Information"
    std::string modelLine;    // the model name as it stands
    std::string recorderLine; // "Recoder Version : <version>"
    std::string viewerLine;   // "Trevix Viewer Version : <version>"
    std::string vendorLine;
    std::string ok;
};

AboutTexts BuildAboutTexts(const AboutInputs& inputs);

} // namespace trevix
