#include "RibEncoder.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct Token {
    enum Kind { Name, String, Integer, Real, Open, Close } kind;
    std::string text;
    double value = 0;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDelimiter(char c) {
    return isBlank(c) || c == '"' || c == '#' || c == '[' || c == ']';
}

std::vector<Token> tokenize(const std::string& text) {
    std::vector<Token> tokens;
    size_t k = 0;
    while (k < text.size()) {
        char c = text[k];
        if (isBlank(c)) {
            ++k;
        } else if (c == '#') {
            while (k < text.size() && text[k] != '\n')
                ++k;
        } else if (c == '[' || c == ']') {
            tokens.push_back({c == '[' ? Token::Open : Token::Close, std::string(1, c)});
            ++k;
        } else if (c == '"') {
            std::string value;
            for (++k; k < text.size() && text[k] != '"'; ++k) {
                if (text[k] == '\\' && k + 1 < text.size()) {
                    char e = text[++k];
                    value += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                } else {
                    value += text[k];
                }
            }
            ++k;
            tokens.push_back({Token::String, value});
        } else {
            size_t start = k;
            while (k < text.size() && !isDelimiter(text[k]))
                ++k;
            std::string word = text.substr(start, k - start);
            bool number = c == '-' || c == '+' || c == '.' || (c >= '0' && c <= '9');
            if (!number) {
                tokens.push_back({Token::Name, word});
                continue;
            }
            bool real = word.find_first_of(".eE") != std::string::npos;
            tokens.push_back(
                {real ? Token::Real : Token::Integer, word, std::strtod(word.c_str(), nullptr)});
        }
    }
    return tokens;
}

void bytes(std::string& out, uint64_t value, int count) {
    for (int k = count - 1; k >= 0; --k)
        out += char((value >> (8 * k)) & 0xFF);
}

void integer(std::string& out, long value) {
    if (value < 0 || value >= 0x800000) {
        out += char(0x83);
        bytes(out, uint32_t(int32_t(value)), 4);
    } else {
        int count = value < 0x80 ? 1 : value < 0x8000 ? 2 : 3;
        out += char(0x80 + count - 1);
        bytes(out, uint64_t(value), count);
    }
}

void real(std::string& out, double value, const RibEncoding& encoding) {
    double scaled = value * 256;
    if (value >= 0 && value < 128 && scaled == std::floor(scaled)) {
        out += char(0x85);
        bytes(out, uint64_t(scaled), 2);
    } else if (encoding.doubles) {
        out += char(0xA5);
        uint64_t bits;
        std::memcpy(&bits, &value, 8);
        bytes(out, bits, 8);
    } else {
        out += char(0xA4);
        float single = float(value);
        uint32_t bits;
        std::memcpy(&bits, &single, 4);
        bytes(out, bits, 4);
    }
}

void plainString(std::string& out, const std::string& text) {
    if (text.size() < 16) {
        out += char(0x90 + text.size());
    } else {
        int count = text.size() < 0x100 ? 1 : text.size() < 0x10000 ? 2 : 4;
        out += char(0xA0 + count - 1);
        bytes(out, text.size(), count);
    }
    out += text;
}

class Encoder {
public:
    Encoder(const std::vector<Token>& tokens, const RibEncoding& encoding)
        : fTokens(tokens), fEncoding(encoding) {
        for (const Token& t : tokens)
            if (t.kind == Token::String) ++fUses[t.text];
    }

    std::string run() {
        for (size_t k = 0; k < fTokens.size(); ++k) {
            const Token& t = fTokens[k];
            if (t.kind == Token::Name)
                name(t.text);
            else if (t.kind == Token::Open)
                k = array(k);
            else
                value(t);
        }
        return fOut;
    }

private:
    void name(const std::string& keyword) {
        if (fEncoding.everyOtherAscii && (fRequests++ % 2) == 1) {
            fOut += keyword + "\n";
            return;
        }
        auto found = fCodes.find(keyword);
        if (found == fCodes.end() && fCodes.size() < 256) {
            int code = int(fCodes.size());
            found = fCodes.emplace(keyword, code).first;
            fOut += char(0xCC);
            fOut += char(code);
            plainString(fOut, keyword);
        }
        if (found == fCodes.end()) {
            fOut += keyword + "\n";
            return;
        }
        fOut += char(0xA6);
        fOut += char(found->second);
    }

    void string(const std::string& text) {
        if (fUses[text] < 2) {
            plainString(fOut, text);
            return;
        }
        auto found = fStrings.find(text);
        if (found == fStrings.end()) {
            int token = int(fStrings.size());
            found = fStrings.emplace(text, token).first;
            if (token < 256) {
                fOut += char(0xCD);
                bytes(fOut, uint64_t(token), 1);
            } else {
                fOut += char(0xCE);
                bytes(fOut, uint64_t(token), 2);
            }
            plainString(fOut, text);
        }
        if (found->second < 256) {
            fOut += char(0xCF);
            bytes(fOut, uint64_t(found->second), 1);
        } else {
            fOut += char(0xD0);
            bytes(fOut, uint64_t(found->second), 2);
        }
    }

    void value(const Token& t) {
        if (t.kind == Token::String)
            string(t.text);
        else if (t.kind == Token::Integer)
            integer(fOut, long(t.value));
        else if (t.kind == Token::Real)
            real(fOut, t.value, fEncoding);
        else
            fOut += t.text;
    }

    // A bracketed array from its '['; returns the index of its ']'.
    size_t array(size_t open) {
        size_t close = open + 1;
        bool anyReal = false, numbers = true;
        while (close < fTokens.size() && fTokens[close].kind != Token::Close) {
            anyReal = anyReal || fTokens[close].kind == Token::Real;
            numbers = numbers &&
                      (fTokens[close].kind == Token::Real || fTokens[close].kind == Token::Integer);
            ++close;
        }
        size_t count = close - open - 1;
        if (numbers && anyReal) {
            int width = count < 0x100 ? 1 : count < 0x10000 ? 2 : 4;
            fOut += char(0xC8 + width - 1);
            bytes(fOut, count, width);
            for (size_t k = open + 1; k < close; ++k) {
                float single = float(fTokens[k].value);
                uint32_t bits;
                std::memcpy(&bits, &single, 4);
                bytes(fOut, bits, 4);
            }
            return close;
        }
        fOut += '[';
        for (size_t k = open + 1; k < close; ++k)
            value(fTokens[k]);
        fOut += ']';
        return close;
    }

    const std::vector<Token>& fTokens;
    RibEncoding fEncoding;
    std::map<std::string, int> fUses, fCodes, fStrings;
    int fRequests = 0;
    std::string fOut;
};

} // namespace

std::string encodeRib(const std::string& ascii, const RibEncoding& encoding) {
    std::vector<Token> tokens = tokenize(ascii);
    return Encoder(tokens, encoding).run();
}
