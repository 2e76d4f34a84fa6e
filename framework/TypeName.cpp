#include "framework/TypeName.h"

#include <vector>

namespace framework {

namespace {

struct Abbreviation {
    char code;
    std::string_view text;
};

constexpr Abbreviation kFundamentalTypes[] = {
    {'v', "void"},        {'w', "wchar_t"},
    {'b', "bool"},        {'c', "char"},
    {'a', "signed char"}, {'h', "unsigned char"},
    {'s', "short"},       {'t', "unsigned short"},
    {'i', "int"},         {'j', "unsigned int"},
    {'l', "long"},        {'m', "unsigned long"},
    {'x', "long long"},   {'y', "unsigned long long"},
    {'n', "__int128"},    {'o', "unsigned __int128"},
    {'f', "float"},       {'d', "double"},
    {'e', "long double"}, {'g', "__float128"},
};

// After "D".
constexpr Abbreviation kFundamentalDTypes[] = {{'n', "decltype(nullptr)"},
                                               {'i', "char32_t"},
                                               {'s', "char16_t"},
                                               {'u', "char8_t"}};

// After "S": the standard library's names that have a letter of their own.
constexpr Abbreviation kStandardNames[] = {{'a', "std::allocator"}, {'b', "std::basic_string"}, {'s', "std::string"},
                                           {'i', "std::istream"},   {'o', "std::ostream"},      {'d', "std::iostream"}};

// How an integer argument of a template is written after its digits; the other types of
// argument are beyond this reader.
constexpr Abbreviation kLiteralSuffixes[] = {{'i', ""}, {'j', "u"}, {'l', "l"}, {'m', "ul"}, {'x', "ll"}, {'y', "ull"}};

std::optional<std::string_view> Find(const auto& table, char code) {
    for (const Abbreviation& entry : table) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return std::nullopt;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A reader of the Itanium C++ ABI's mangling for the part of the grammar that names types. Each
// rule returns false for what it cannot read, and the whole name then stays as it was.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<std::string> Read() {
        std::string type;
        if (!Type(type) || m_at != m_text.size()) {
            return std::nullopt;
        }
        return type;
    }

private:
    char Peek(std::size_t ahead = 0) const { return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : '\0'; }

    bool Take(char c) {
        if (Peek() != c) {
            return false;
        }
        ++m_at;
        return true;
    }

    bool Number(std::size_t& value) {
        if (!IsDigit(Peek())) {
            return false;
        }
        value = 0;
        while (IsDigit(Peek())) {
            value = value * 10 + static_cast<std::size_t>(m_text[m_at++] - '0');
            if (value > m_text.size()) {
                return false;
            }
        }
        return true;
    }

    // <type>; every type but a fundamental one may be referred to again later in the name.
    bool Type(std::string& out) {
        const char c = Peek();
        if (const auto fundamental = Find(kFundamentalTypes, c)) {
            ++m_at;
            out = *fundamental;
            return true;
        }
        if (c == 'D') {
            const auto fundamental = Find(kFundamentalDTypes, Peek(1));
            if (!fundamental) {
                return false;
            }
            m_at += 2;
            out = *fundamental;
            return true;
        }
        if (c == 'r' || c == 'V' || c == 'K') {
            std::string qualifiers;
            // Mangled as restrict, volatile, const; written the other way round.
            for (const auto& [code, word] : {std::pair{'r', " restrict"}, {'V', " volatile"}, {'K', " const"}}) {
                if (Take(code)) {
                    qualifiers.insert(0, word);
                }
            }
            if (!Type(out)) {
                return false;
            }
            out += qualifiers;
            m_substitutions.push_back(out);
            return true;
        }
        if (c == 'P' || c == 'R' || c == 'O') {
            ++m_at;
            if (!Type(out)) {
                return false;
            }
            out += c == 'P' ? "*" : c == 'R' ? "&" : "&&";
            m_substitutions.push_back(out);
            return true;
        }
        return ClassType(out);
    }

    // A class or enumeration: a nested name, a name in std, a name by itself or one referred to
    // again, each perhaps with template arguments.
    bool ClassType(std::string& out) {
        if (Take('N')) {
            return NestedName(out);
        }
        bool candidate = true;
        if (Peek() == 'S') {
            if (Peek(1) == 't') {
                m_at += 2;
                if (!SourceName(out)) {
                    return false;
                }
                out.insert(0, "std::");
            } else if (!Substitution(out)) {
                return false;
            } else {
                candidate = false;
            }
        } else if (!SourceName(out)) {
            return false;
        }
        if (Peek() == 'I') {
            if (candidate) {
                m_substitutions.push_back(out);
            }
            candidate = true;
            if (!TemplateArguments(out)) {
                return false;
            }
        }
        if (candidate) {
            m_substitutions.push_back(out);
        }
        return true;
    }

    // After "N": prefixes up to "E", each of which may be referred to again.
    bool NestedName(std::string& out) {
        out.clear();
        bool first = true;
        while (!Take('E')) {
            if (first && Peek() == 'S' && Peek(1) == 't') {
                m_at += 2;
                out = "std";
            } else if (first && Peek() == 'S') {
                if (!Substitution(out)) {
                    return false;
                }
            } else if (Peek() == 'I' && !first) {
                if (!TemplateArguments(out)) {
                    return false;
                }
                m_substitutions.push_back(out);
            } else {
                std::string name;
                if (!SourceName(name)) {
                    return false;
                }
                if (!out.empty()) {
                    out += "::";
                }
                out += name;
                m_substitutions.push_back(out);
            }
            first = false;
        }
        return !first;
    }

    // <source-name> with its ABI tags: a length and that many characters.
    bool SourceName(std::string& out) {
        std::size_t length = 0;
        if (!Number(length) || length == 0 || m_at + length > m_text.size()) {
            return false;
        }
        out = m_text.substr(m_at, length);
        m_at += length;
        // The compiler's name for an unnamed namespace.
        if (out.size() > 9 && out.starts_with("_GLOBAL_") &&
            std::string_view("._$").find(out[8]) != std::string_view::npos && out[9] == 'N') {
            out = "(anonymous namespace)";
        }
        while (Take('B')) {
            std::string tag;
            if (!SourceName(tag)) {
                return false;
            }
            out.append("[abi:").append(tag).append("]");
        }
        return true;
    }

    // After "S": a standard library name, or a component read earlier by its number.
    bool Substitution(std::string& out) {
        ++m_at;
        if (const auto standard = Find(kStandardNames, Peek())) {
            ++m_at;
            out = *standard;
            return true;
        }
        std::size_t index = 0;
        if (!Take('_')) {
            while (!Take('_')) {
                const char c = Peek();
                std::size_t digit = 0;
                if (IsDigit(c)) {
                    digit = static_cast<std::size_t>(c - '0');
                } else if (c >= 'A' && c <= 'Z') {
                    digit = static_cast<std::size_t>(c - 'A') + 10;
                } else {
                    return false;
                }
                ++m_at;
                index = index * 36 + digit;
                if (index > m_substitutions.size()) {
                    return false;
                }
            }
            ++index;
        }
        if (index >= m_substitutions.size()) {
            return false;
        }
        out = m_substitutions[index];
        return true;
    }

    // "I" <argument>+ "E", appended to out as "<a, b>"; two closing brackets are kept apart.
    bool TemplateArguments(std::string& out) {
        ++m_at;
        std::string arguments;
        do {
            std::string argument;
            if (Peek() == 'L' ? !Literal(argument) : !Type(argument)) {
                return false;
            }
            if (!arguments.empty()) {
                arguments += ", ";
            }
            arguments += argument;
        } while (!Take('E'));
        out.append("<").append(arguments).append(arguments.back() == '>' ? " >" : ">");
        return true;
    }

    // "L" <type> <value> "E" for an integer or bool argument.
    bool Literal(std::string& out) {
        ++m_at;
        const char type = Peek();
        const auto suffix = Find(kLiteralSuffixes, type);
        if (!suffix && type != 'b') {
            return false;
        }
        ++m_at;
        const bool negative = Take('n');
        std::size_t start = m_at;
        while (IsDigit(Peek())) {
            ++m_at;
        }
        const std::string_view digits = m_text.substr(start, m_at - start);
        if (digits.empty() || !Take('E')) {
            return false;
        }
        if (type == 'b') {
            if (negative || (digits != "0" && digits != "1")) {
                return false;
            }
            out = digits == "1" ? "true" : "false";
            return true;
        }
        out.assign(negative ? "-" : "").append(digits).append(*suffix);
        return true;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::vector<std::string> m_substitutions;
};

}  // namespace

std::optional<std::string> DemangledTypeName(std::string_view name) {
    return Reader(name).Read();
}

std::string ReadableTypeName(const char* name) {
    if (name == nullptr) {
        return {};
    }
    return DemangledTypeName(name).value_or(std::string(name));
}

}  // namespace framework
