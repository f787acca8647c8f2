#include "renderer/shading/ShaderKernel.h"

namespace quelmark {

namespace {

// Patterns kept at most; past that the cache starts afresh.
constexpr std::size_t kKeptPatterns = 64;
constexpr std::size_t kTripleFloats = 3;
// A light's L, Cl and Ol.
constexpr std::size_t kLightValueSets = 3;

} // namespace

void KernelFrame::report(std::string_view message) {
    const auto step = std::size_t(fStep);
    if (step >= fReportedInRun.size()) fReportedInRun.resize(step + 1, 0);
    if (fReportedInRun[step] == fRun) return;
    fReportedInRun[step] = fRun;
    std::string text = "shader '";
    text += fShaderName;
    text += "', line ";
    text += std::to_string(fLine);
    text += ": ";
    text += message;
    fEnvironment->report(text);
}

std::optional<ShaderMatrix> KernelFrame::spaceToCurrent(std::string_view space) {
    if (space == "current") return identityMatrix();
    ShaderMatrix matrix = identityMatrix();
    if (fEnvironment->spaceToCurrent(space, matrix)) return matrix;
    report("unknown space '" + std::string(space) + "': the value is left as it was");
    return std::nullopt;
}

std::span<float> KernelFrame::scratch(std::size_t count) {
    if (fScratch.size() < count) fScratch.resize(count);
    return std::span(fScratch.data(), count);
}

LightSample KernelFrame::lightRoom(std::span<const int> points) {
    const auto count = std::size_t(fPointCount);
    if (fLightValues.size() < kLightValueSets * kTripleFloats * count)
        fLightValues.resize(kLightValueSets * kTripleFloats * count);
    if (fReaches.size() < count) fReaches.resize(count);
    for (const int point : points)
        fReaches[std::size_t(point)] = 1;
    LightSample sample;
    sample.points = points;
    sample.reaches = fReaches.data();
    sample.L = fLightValues.data();
    sample.Cl = sample.L + kTripleFloats * count;
    sample.Ol = sample.Cl + kTripleFloats * count;
    return sample;
}

const ShaderPattern* KernelFrame::pattern(const std::string& text) {
    for (const CompiledPattern& kept : fPatterns)
        if (kept.text == text) return kept.expression ? &*kept.expression : nullptr;
    if (fPatterns.size() == kKeptPatterns) fPatterns.clear();
    std::string error;
    CompiledPattern compiled{text, ShaderPattern::compile(text, error)};
    if (!compiled.expression)
        report("match: the pattern '" + text + "' is not a regular expression (" + error +
               "): no match");
    fPatterns.push_back(std::move(compiled));
    const CompiledPattern& kept = fPatterns.back();
    return kept.expression ? &*kept.expression : nullptr;
}

} // namespace quelmark
