#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The plural rule of a catalogue's Plural-Forms header: how many forms a
// language has and which one a count takes, as the C-like expression gettext
// writes ("n%10==1 && n%100!=11 ? 0 : ..."). It knows n, decimal integers,
// ?:, ||, &&, ==, !=, <, >, <=, >=, % and parentheses; text, depth and size are
// bounded, and % by zero gives 0. The default is English's: two forms, n != 1.
constexpr size_t PLURAL_MAX_TEXT = 512;  // bytes of an expression
constexpr int PLURAL_MAX_DEPTH = 32;     // nested operators and parentheses
constexpr unsigned PLURAL_MAX_FORMS = 8; // gettext's languages use at most 6

class pluralRule {
  public:
    // False, with the rule unchanged, when the header's value is not one it knows.
    bool parse(std::string_view header); // "nplurals=2; plural=(n != 1);"
    unsigned getFormCount() const { return m_forms; }
    unsigned
    pickForm(unsigned long count) const; // below getFormCount(), or getFormCount() when the rule strays

  private:
    enum class op : uint8_t {
        count,
        number,
        choose,
        orElse,
        andAlso,
        equal,
        notEqual,
        less,
        greater,
        lessEqual,
        greaterEqual,
        modulo
    };
    struct node {
        op kind;
        unsigned long value; // the number's
        int a, b, c;         // operands by index
    };
    friend class pluralParser;
    unsigned long evaluate(int index, unsigned long n) const;

    std::vector<node> m_nodes{
        {op::count, 0, -1, -1, -1}, {op::number, 1, -1, -1, -1}, {op::notEqual, 0, 0, 1, -1}};
    int m_root = 2;
    unsigned m_forms = 2;
};
