#include "platform/language/pluralrule.h"

#include <cctype>
#include <string>

// Recursive descent over the expression with C's precedence, one level a
// function; every parenthesis and ?: counts toward the depth bound, so hostile
// nesting ends in a refusal, not a deep stack.
class pluralParser {
  public:
    using op = pluralRule::op;
    explicit pluralParser(std::string_view text) : m_text(text) {}

    bool parse(std::vector<pluralRule::node>& nodes, int& root) {
        root = choice(0);
        skipSpace();
        if (root < 0 || m_failed || m_at != m_text.size())
            return false;
        nodes = std::move(m_nodes);
        return true;
    }

  private:
    int add(op kind, unsigned long value, int a, int b, int c) {
        m_nodes.push_back({kind, value, a, b, c});
        return static_cast<int>(m_nodes.size()) - 1;
    }
    void skipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n'))
            ++m_at;
    }
    bool take(std::string_view token) {
        skipSpace();
        if (m_text.substr(m_at, token.size()) != token)
            return false;
        // "<" must not take the first half of "<=", nor "=" of "==" ...
        if (token.size() == 1 && m_at + 1 < m_text.size() && m_text[m_at + 1] == '=' &&
            (token == "<" || token == ">"))
            return false;
        m_at += token.size();
        return true;
    }
    bool deeper(int depth) {
        if (depth > PLURAL_MAX_DEPTH)
            m_failed = true;
        return !m_failed;
    }
    int choice(int depth) {
        if (!deeper(depth))
            return -1;
        const int test = binary(0, depth);
        if (!take("?"))
            return test;
        const int yes = choice(depth + 1);
        if (!take(":"))
            m_failed = true;
        const int no = choice(depth + 1);
        return add(op::choose, 0, test, yes, no);
    }
    // Levels: 0 ||, 1 &&, 2 == !=, 3 < > <= >=, 4 %, 5 a primary.
    int binary(int level, int depth) {
        if (!deeper(depth))
            return -1;
        if (level == 5)
            return primary(depth);
        int left = binary(level + 1, depth);
        while (!m_failed) {
            const op kind = nextOperator(level);
            if (kind == op::count)
                break;
            const int right = binary(level + 1, depth);
            left = add(kind, 0, left, right, -1);
        }
        return left;
    }
    op nextOperator(int level) {
        switch (level) {
        case 0:
            return take("||") ? op::orElse : op::count;
        case 1:
            return take("&&") ? op::andAlso : op::count;
        case 2:
            return take("==") ? op::equal : take("!=") ? op::notEqual : op::count;
        case 3:
            return take("<=")   ? op::lessEqual
                   : take(">=") ? op::greaterEqual
                   : take("<")  ? op::less
                   : take(">")  ? op::greater
                                : op::count;
        default:
            return take("%") ? op::modulo : op::count;
        }
    }
    int primary(int depth) {
        skipSpace();
        if (take("(")) {
            const int inner = choice(depth + 1);
            if (!take(")"))
                m_failed = true;
            return inner;
        }
        if (take("n"))
            return add(op::count, 0, -1, -1, -1);
        if (m_at < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_at]))) {
            unsigned long value = 0;
            while (m_at < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_at]))) {
                if (value > 100000000UL) // no rule needs more; keeps the sum in range
                    m_failed = true;
                value = value * 10 + static_cast<unsigned long>(m_text[m_at++] - '0');
            }
            return add(op::number, value, -1, -1, -1);
        }
        m_failed = true;
        return -1;
    }

    std::string_view m_text;
    size_t m_at = 0;
    bool m_failed = false;
    std::vector<pluralRule::node> m_nodes;
};

namespace {

// The value after name= up to the next ';' (or the end), trimmed.
bool findField(std::string_view header, std::string_view name, std::string_view& value) {
    for (size_t at = header.find(name); at != std::string_view::npos; at = header.find(name, at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(header[at - 1])) != 0))
            continue;
        size_t start = at + name.size();
        while (start < header.size() && header[start] == ' ')
            ++start;
        if (start >= header.size() || header[start] != '=')
            continue;
        const size_t end = header.find(';', start + 1);
        value = header.substr(start + 1,
                              end == std::string_view::npos ? std::string_view::npos : end - start - 1);
        return true;
    }
    return false;
}

} // namespace

bool pluralRule::parse(std::string_view header) {
    std::string_view forms;
    std::string_view expression;
    if (!findField(header, "nplurals", forms) || !findField(header, "plural", expression) ||
        expression.size() > PLURAL_MAX_TEXT)
        return false;
    while (!forms.empty() && forms.front() == ' ')
        forms.remove_prefix(1);
    while (!forms.empty() && forms.back() == ' ')
        forms.remove_suffix(1);
    if (forms.size() != 1 || forms[0] < '1' || forms[0] > static_cast<char>('0' + PLURAL_MAX_FORMS))
        return false;
    std::vector<node> nodes;
    int root = -1;
    if (!pluralParser(expression).parse(nodes, root))
        return false;
    m_nodes = std::move(nodes);
    m_root = root;
    m_forms = static_cast<unsigned>(forms[0] - '0');
    return true;
}

unsigned pluralRule::pickForm(unsigned long count) const {
    const unsigned long form = evaluate(m_root, count);
    return form < m_forms ? static_cast<unsigned>(form) : m_forms;
}

// The tree is no deeper than the expression is long (PLURAL_MAX_TEXT), so this
// recursion is bounded too.
unsigned long pluralRule::evaluate(int index, unsigned long n) const {
    const node& at = m_nodes[static_cast<size_t>(index)];
    switch (at.kind) {
    case op::count:
        return n;
    case op::number:
        return at.value;
    case op::choose:
        return evaluate(evaluate(at.a, n) != 0 ? at.b : at.c, n);
    case op::orElse:
        return evaluate(at.a, n) != 0 || evaluate(at.b, n) != 0;
    case op::andAlso:
        return evaluate(at.a, n) != 0 && evaluate(at.b, n) != 0;
    default:
        break;
    }
    const unsigned long a = evaluate(at.a, n);
    const unsigned long b = evaluate(at.b, n);
    switch (at.kind) {
    case op::equal:
        return a == b;
    case op::notEqual:
        return a != b;
    case op::less:
        return a < b;
    case op::greater:
        return a > b;
    case op::lessEqual:
        return a <= b;
    case op::greaterEqual:
        return a >= b;
    default:
        return b == 0 ? 0 : a % b;
    }
}
