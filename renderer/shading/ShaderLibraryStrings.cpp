// The string functions: concat, printf, format and match.
//
// printf and format replace each conversion of the format with the next
// argument: %f, %e, %g (and %d, %i, rounded towards zero) print numbers,
// %p, %v, %n and %c triples and %m matrices, each component as %f would,
// separated by spaces; %s prints a string (a number as %g would). Flags,
// width and precision apply to every component; %% prints a percent sign.
// A varying argument prints a point's own value: printf prints once for
// each running point, in the order of the points.
//
// match(pattern, subject) is 1 when the regular expression (see
// ShaderPattern.h) matches somewhere in subject, else 0; a pattern that is
// not one is reported and matches nothing.
#include "renderer/shading/ShaderLibraryCall.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;

// The most digits a conversion's width or precision may have.
constexpr std::size_t kMostDigits = 3;

// One conversion of a format: "%-8.3f" and its letter.
struct Conversion {
    std::string_view text;
    char letter = 0;
};

// The conversion starting at the percent sign; letter 0 when the text there
// is not one.
Conversion conversionAt(std::string_view format, std::size_t percent) {
    std::size_t at = percent + 1;
    while (at < format.size() &&
           std::string_view("-+ #0").find(format[at]) != std::string_view::npos)
        ++at;
    const auto digits = [&] {
        const std::size_t start = at;
        while (at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])) &&
               at - start < kMostDigits)
            ++at;
    };
    digits();
    if (at < format.size() && format[at] == '.') {
        ++at;
        digits();
    }
    if (at >= format.size() ||
        std::string_view("feEgGdipvncms").find(format[at]) == std::string_view::npos)
        return {format.substr(percent, at - percent), 0};
    return {format.substr(percent, at + 1 - percent), format[at]};
}

// snprintf's text of one value in a format such as "%8.3f".
template <typename Value>
void appendPrinted(std::string& out, const std::string& format, Value value) {
    char buffer[128];
    const int length = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    if (length < 0) return;
    if (std::size_t(length) < sizeof buffer) {
        out.append(buffer, std::size_t(length));
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + std::size_t(length) + 1);
    std::snprintf(out.data() + start, std::size_t(length) + 1, format.c_str(), value);
    out.resize(start + std::size_t(length));
}

// The format of a number printed as the conversion asks: its flags, width and
// precision with the letter a number takes.
std::string numberFormat(const Conversion& conversion) {
    std::string format(conversion.text.substr(0, conversion.text.size() - 1));
    switch (conversion.letter) {
    case 'e':
    case 'E':
    case 'g':
    case 'G':
        format += conversion.letter;
        break;
    case 'd':
    case 'i':
        format += 'd';
        break;
    case 's':
        format += 'g';
        break;
    default:
        format += 'f';
        break;
    }
    return format;
}

void appendValue(std::string& out, const Conversion& conversion, const RegisterView& value,
                 int point) {
    if (value.strings) {
        const std::string format =
            std::string(conversion.text.substr(0, conversion.text.size() - 1)) + 's';
        for (int element = 0; element < value.elements; ++element) {
            if (element > 0) out += ' ';
            appendPrinted(out, format, (&value.stringAt(point))[element].c_str());
        }
        return;
    }
    const std::string format = numberFormat(conversion);
    const bool whole = format.back() == 'd';
    const float* floats = value.at(point);
    const int count = value.width * value.elements;
    for (int k = 0; k < count; ++k) {
        if (k > 0) out += ' ';
        if (whole)
            appendPrinted(out, format, int(std::clamp(floats[k], -2e9f, 2e9f)));
        else
            appendPrinted(out, format, double(floats[k]));
    }
}

// The text of the format (operand formatAt) with the arguments after it.
std::string formatted(KernelFrame& frame, Operands operands, std::size_t formatAt, int point) {
    const std::string& format = frame.view(operands[formatAt]).stringAt(point);
    std::string out;
    std::size_t nextArgument = formatAt + 1;
    for (std::size_t at = 0; at < format.size(); ++at) {
        if (format[at] != '%') {
            out += format[at];
            continue;
        }
        if (at + 1 < format.size() && format[at + 1] == '%') {
            out += '%';
            ++at;
            continue;
        }
        const Conversion conversion = conversionAt(format, at);
        if (conversion.letter && nextArgument < operands.size())
            appendValue(out, conversion, frame.view(operands[nextArgument++]), point);
        else {
            out += conversion.text;
            if (!frame.hasReported())
                frame.report("format: '" + std::string(conversion.text) +
                             (conversion.letter ? "' has no argument left" : "' is no conversion"));
        }
        at += conversion.text.size() - 1;
    }
    return out;
}

void printText(KernelFrame& frame, Operands operands) {
    for (const int point : frame.active())
        frame.environment().print(formatted(frame, operands, 1, point));
}

void formatText(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active())
        out.stringAt(point) = formatted(frame, operands, 1, point);
}

void concatenate(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        std::string joined;
        for (std::size_t argument = 1; argument < operands.size(); ++argument)
            joined += frame.view(operands[argument]).stringAt(point);
        out.stringAt(point) = std::move(joined);
    }
}

void match(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& pattern = frame.view(operands[1]);
    const RegisterView& subject = frame.view(operands[2]);
    for (const int point : frame.active()) {
        const ShaderPattern* expression = frame.pattern(pattern.stringAt(point));
        out.at(point)[0] = expression && expression->foundIn(subject.stringAt(point)) ? 1.0f : 0.0f;
    }
}

bool printable(const sl::Type& type) {
    return type.basic != sl::BasicType::kVoid;
}

bool formatArgumentsFit(const LibraryCall& call) {
    if (call.argumentCount() == 0 ||
        !LibraryCall::fits(call.argument(0), ValueKind::kString, false))
        return false;
    for (std::size_t index = 1; index < call.argumentCount(); ++index)
        if (!printable(call.argument(index))) return false;
    return true;
}

} // namespace

Kernel chooseStringKernel(const LibraryCall& call) {
    using enum ValueKind;
    switch (call.op()) {
    case BuiltinOp::kConcat:
        return call.resultIs(kString) && call.argumentCount() >= 1 && call.argumentsFrom(0, kString)
                   ? concatenate
                   : nullptr;
    case BuiltinOp::kPrintf:
        return formatArgumentsFit(call) ? printText : nullptr;
    case BuiltinOp::kFormat:
        return call.resultIs(kString) && formatArgumentsFit(call) ? formatText : nullptr;
    case BuiltinOp::kMatch:
        return call.resultIs(kFloat) && call.argumentsAre({kString, kString}) ? match : nullptr;
    default:
        return nullptr;
    }
}

} // namespace quelmark
