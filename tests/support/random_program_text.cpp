// A random program written as C. Every operation is parenthesised, so that the text says
// exactly what the tree says; a stored-into place never is.

#include "tests/support/random_program.hpp"
#include "tests/support/random_program_walk.hpp"

namespace kavo::testing::program {
namespace {

// The typedef names of the four types (Generation::spelling may use them).
const char* const TypedefLines = "typedef signed char s8_t; typedef unsigned char u8_t;\n"
                                 "typedef long s16_t; typedef unsigned long u16_t;\n";

std::string number(std::int32_t v) {
    return v < 0 ? "(" + std::to_string(v) + ")" : std::to_string(v);
}

std::string hex(int v) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (; v > 0 || text.empty(); v /= 16)
        text.insert(text.begin(), digits[v % 16]);
    return "0x" + text;
}

// What main reaches: the functions it calls, directly or not, and the variables they use.
struct Reached {
    std::vector<bool> functions, variables;
};

class Writer {
public:
    explicit Writer(const Program& p) : p_(p), reached_(reach()) {}

    std::string text() {
        std::string out = p_.typedefNames ? TypedefLines : "";
        std::vector<bool> structs(p_.structs.size());
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            if (declared(i) && p_.variables[i].storage == Storage::Struct)
                structs[p_.variables[i].structType] = true;
        }
        for (std::size_t i = 0; i < p_.functions.size(); ++i) {
            if (reached_.functions[i] && p_.functions[i].structResult >= 0)
                structs[p_.functions[i].structResult] = true;
        }
        for (std::size_t i = 0; i < p_.structs.size(); ++i) {
            if (!structs[i])
                continue;
            const StructType& s = p_.structs[i];
            out += "struct " + s.name + " {";
            for (const Member& m : s.members)
                out += " " + m.spelling + " " + m.name +
                       (m.bits > 0 ? " : " + std::to_string(m.bits) : "") + ";";
            for (const Member& m : s.pointerMembers)
                out += " " + m.spelling + " *" + m.name + ";";
            if (s.linked)
                out += " struct " + s.name + " *next;";
            out += " };\n";
        }
        for (std::size_t i = 0; i < p_.variables.size(); ++i) {
            if (p_.variables[i].function < 0 && p_.variables[i].holder < 0 && declared(i))
                out += declaration(static_cast<int>(i)) + "\n";
        }
        for (std::size_t i = 0; i < p_.functions.size(); ++i) {
            if (reached_.functions[i])
                out += function(p_.functions[i]);
        }
        return out;
    }

private:
    bool declared(std::size_t v) const { return reached_.variables[v] || !p_.variables[v].omitted; }

    Reached reach() const {
        Reached r{std::vector<bool>(p_.functions.size()), std::vector<bool>(p_.variables.size())};
        auto expression = [&](const Expr& e) {
            if (e.kind == Expr::Kind::Call)
                r.functions[e.function] = true;
            if (e.kind == Expr::Kind::Read || e.kind == Expr::Kind::Step ||
                e.kind == Expr::Kind::AddressTest)
                r.variables[e.place.variable] = true;
            if (e.kind == Expr::Kind::AddressTest)
                r.variables[e.pointer] = true;
        };
        auto statement = [&](const Statement& s) {
            if (s.kind == Statement::Kind::Assign || s.kind == Statement::Kind::Compound ||
                s.kind == Statement::Kind::PointAt || s.kind == Statement::Kind::PointAtThrough)
                r.variables[s.place.variable] = true;
            if (s.counter >= 0)
                r.variables[s.counter] = true;
            if (s.pointer >= 0)
                r.variables[s.pointer] = true;
        };
        r.functions.back() = true;
        // Callers come after their callees: one pass from main backwards finds them all.
        for (std::size_t f = p_.functions.size(); f-- > 0;) {
            if (r.functions[f])
                walkStatements(p_.functions[f].body, statement, expression);
        }
        // Pointers declare the variable they first point at; those come before them. A
        // pointer member is declared with its struct, which comes before it and declares
        // what every member first points at.
        for (std::size_t v = p_.variables.size(); v-- > 0;) {
            const Variable& variable = p_.variables[v];
            if (variable.holder >= 0 && r.variables[v])
                r.variables[variable.holder] = true;
            if (!r.variables[v] && variable.omitted)
                continue;
            if (holdsAddress(variable) && variable.holder < 0 &&
                variable.initialPointer.variable >= 0)
                r.variables[variable.initialPointer.variable] = true;
            for (int member : pointerMembersOf(p_.variables, static_cast<int>(v))) {
                if (p_.variables[member].initialPointer.variable >= 0)
                    r.variables[p_.variables[member].initialPointer.variable] = true;
            }
        }
        return r;
    }

    std::string declaration(int id) const {
        const Variable& v = p_.variables[id];
        if (pointsAtRows(v)) {
            // Set to the array's first row: its name.
            std::string text = v.spelling + " (*" + v.name + ")[" + std::to_string(v.columns) + "]";
            if (v.initialPointer.variable >= 0)
                text += " = " + p_.variables[v.initialPointer.variable].name;
            return text + ";";
        }
        if (holdsAddress(v)) {
            const int stars = v.storage == Storage::Pointer ? 1 : v.depth;
            std::string text = v.spelling + " " + std::string(stars, '*') + v.name;
            if (v.initialPointer.variable >= 0)
                text += " = " + initialAddress(v);
            return text + ";";
        }
        std::string text = v.storage == Storage::Struct
                               ? "struct " + p_.structs[v.structType].name + " " + v.name
                               : v.spelling + " " + v.name;
        if (v.storage == Storage::Array && v.columns > 0)
            text +=
                "[" + std::to_string(v.length / v.columns) + "][" + std::to_string(v.columns) + "]";
        else if (v.storage == Storage::Array)
            text += "[" + std::to_string(v.length) + "]";
        if (v.fixedAddress >= 0)
            return text + " @ " + hex(v.fixedAddress) + ";";
        const std::vector<std::string> values = initialValues(id);
        if (values.empty())
            return text + ";";
        if (v.storage == Storage::Scalar)
            return text + " = " + values[0] + ";";
        text += " = {";
        for (std::size_t i = 0; i < values.size(); ++i)
            text += (i == 0 ? "" : ", ") + values[i];
        return text + "};";
    }

    // The cells' initial values, then the addresses the pointer members first hold.
    std::vector<std::string> initialValues(int id) const {
        std::vector<std::string> values;
        for (std::int32_t value : p_.variables[id].initial)
            values.push_back(std::to_string(value));
        // A list's first node leaves its next to main: it is the last member.
        for (int member : pointerMembersOf(p_.variables, id)) {
            if (p_.variables[member].initialPointer.variable >= 0)
                values.push_back(initialAddress(p_.variables[member]));
        }
        return values;
    }

    // &cell, or &n for a pointer to list nodes.
    std::string initialAddress(const Variable& pointer) const {
        if (pointsAtStructs(pointer))
            return "&" + p_.variables[pointer.initialPointer.variable].name;
        return "&" + cellName(pointer.initialPointer);
    }

    std::string cellName(const PointerValue& at) const {
        const Variable& v = p_.variables[at.variable];
        if (v.storage == Storage::Array && v.columns > 0)
            return v.name + "[" + std::to_string(at.cell / v.columns) + "][" +
                   std::to_string(at.cell % v.columns) + "]";
        if (v.storage == Storage::Array)
            return v.name + "[" + std::to_string(at.cell) + "]";
        if (v.storage == Storage::Struct)
            return v.name + "." + p_.structs[v.structType].members[at.cell].name;
        return v.name;
    }

    std::string function(const Function& f) const {
        std::string text =
            (f.resultSpelling.empty() ? "void" : f.resultSpelling) + " " + f.name + "(";
        for (std::size_t i = 0; i < f.parameters.size(); ++i) {
            const Variable& parameter = p_.variables[f.parameters[i]];
            text += (i == 0 ? "" : ", ") + parameter.spelling + " " + parameter.name;
        }
        text += (f.parameters.empty() ? "void" : "") + std::string(") {\n");
        for (int local : f.locals) {
            if (declared(local))
                text += "  " + declaration(local) + "\n";
        }
        return text + statements(f.body, 1) + "}\n";
    }

    std::string statements(const std::vector<Statement>& list, int depth) const {
        std::string text;
        for (const Statement& s : list)
            text += statement(s, depth);
        return text;
    }

    std::string block(const std::vector<Statement>& list, int depth) const {
        return "{\n" + statements(list, depth + 1) + std::string(2 * depth, ' ') + "}";
    }

    std::string statement(const Statement& s, int depth) const {
        const std::string indent(2 * depth, ' ');
        switch (s.kind) {
        case Statement::Kind::Assign:
            return indent + place(s.place) + " = " + expression(s.value[0]) + ";\n";
        case Statement::Kind::Compound:
            return indent + place(s.place) + " " + dialect::spelling(s.op) + "= " +
                   expression(s.value[0]) + ";\n";
        case Statement::Kind::Evaluate:
            return indent + statementExpression(s.value[0]) + ";\n";
        case Statement::Kind::If:
            return indent + ifText(s, depth) + "\n";
        case Statement::Kind::For: {
            const std::string k = p_.variables[s.counter].name;
            return indent + "for (" + k + " = 0; " + k + " < " + std::to_string(s.trips) + "; " +
                   k + "++) " + block(s.body, depth) + "\n";
        }
        case Statement::Kind::While: {
            const std::string k = p_.variables[s.counter].name;
            return indent + k + " = 0;\n" + indent + "while (" + k + " < " +
                   std::to_string(s.trips) + ") {\n" + indent + "  " + k + "++;\n" +
                   statements(s.body, depth + 1) + indent + "}\n";
        }
        case Statement::Kind::DoWhile: {
            const std::string k = p_.variables[s.counter].name;
            return indent + k + " = 0;\n" + indent + "do {\n" + indent + "  " + k + "++;\n" +
                   statements(s.body, depth + 1) + indent + "} while (" + k + " < " +
                   std::to_string(s.trips) + ");\n";
        }
        case Statement::Kind::Switch: {
            std::string text = indent + "switch (" + expression(s.value[0]) + ") {\n";
            for (const Case& c : s.cases) {
                text += indent + (c.value ? "case " + std::to_string(*c.value) : "default") +
                        ":\n" + statements(c.body, depth + 1);
            }
            // C wants a statement after the last label.
            if (!s.cases.empty() && s.cases.back().body.empty())
                text += indent + "  break;\n";
            return text + indent + "}\n";
        }
        case Statement::Kind::Break:
            return indent + "break;\n";
        case Statement::Kind::Continue:
            return indent + "continue;\n";
        case Statement::Kind::Return:
            return indent + "return" + (s.value.empty() ? "" : " " + expression(s.value[0])) +
                   ";\n";
        case Statement::Kind::PointAt:
            return indent + p_.variables[s.pointer].name + " = &" + place(s.place) + ";\n";
        case Statement::Kind::PointAtThrough:
            return indent + "*" + p_.variables[s.pointer].name + " = &" + place(s.place) + ";\n";
        case Statement::Kind::FollowLink: {
            const std::string name = p_.variables[s.pointer].name;
            return indent + name + " = " + name + "->next;\n";
        }
        case Statement::Kind::MovePointer: {
            const std::string name = p_.variables[s.pointer].name;
            if (s.stepped)
                return indent + name + "++;\n";
            return indent + name + " = " + name + " + " + std::to_string(s.amount) + ";\n";
        }
        }
        return "";
    }

    // An else holding one if is written as else if.
    std::string ifText(const Statement& s, int depth) const {
        std::string text = "if (" + expression(s.value[0]) + ") " + block(s.body, depth);
        if (s.orElse.size() == 1 && s.orElse[0].kind == Statement::Kind::If)
            return text + " else " + ifText(s.orElse[0], depth);
        if (!s.orElse.empty())
            text += " else " + block(s.orElse, depth);
        return text;
    }

    std::string place(const Place& at) const {
        const std::string name = p_.variables[at.variable].name;
        switch (at.kind) {
        case Place::Kind::Variable:
            return name;
        case Place::Kind::Element: {
            std::string text = name;
            for (const Expr& index : at.index)
                text += "[" + expression(index) + "]";
            return text;
        }
        case Place::Kind::Member:
            return name + "." +
                   p_.structs[p_.variables[at.variable].structType].members[at.member].name;
        case Place::Kind::Pointee:
            if (pointsAtRows(p_.variables[at.variable]))
                return rowCell(name, at);
            if (at.index.empty())
                return "*" + name;
            if (at.form == Place::Form::Chosen)
                return "*(" + expression(at.index[0]) + " ? " + name + " : " +
                       p_.variables[at.member].name + ")";
            if (at.form == Place::Form::Subscript)
                return name + "[" + expression(at.index[0]) + "]";
            return "*(" + name + " + " + expression(at.index[0]) + ")";
        case Place::Kind::PointeeStep:
            return "*" + name + "++";
        case Place::Kind::Arrow: {
            std::string text = name;
            for (int hop = 0; hop < at.hops; ++hop)
                text += "->next";
            const Variable& pointer = p_.variables[at.variable];
            return text + "->" + p_.structs[pointer.structType].members[at.member].name;
        }
        case Place::Kind::PointeePointee: {
            // The pointers to pointers' own levels: * for pp, ** for ppp.
            const std::string through(p_.variables[at.variable].depth - 1, '*');
            if (at.form == Place::Form::FirstRow && at.index.empty())
                return through + name + "[0]";
            if (at.form == Place::Form::FirstRow) {
                std::string rows = name;
                for (int k = 1; k < p_.variables[at.variable].depth; ++k)
                    rows += "[0]";
                return rows + "[" + expression(at.index[0]) + "]";
            }
            if (at.index.empty())
                return "*" + through + name;
            if (at.form == Place::Form::Subscript)
                return "(" + through + name + ")[" + expression(at.index[0]) + "]";
            return "*(" + through + name + " + " + expression(at.index[0]) + ")";
        }
        }
        return name;
    }

    // (*p)[c], p[r][c] or *(p[r] + c) through a pointer to rows.
    std::string rowCell(const std::string& name, const Place& at) const {
        const std::string column = expression(at.index.back());
        if (at.form == Place::Form::Star)
            return "(*" + name + ")[" + column + "]";
        const std::string row = expression(at.index[0]);
        if (at.form == Place::Form::Subscript)
            return name + "[" + row + "][" + column + "]";
        return "*(" + name + "[" + row + "] + " + column + ")";
    }

    std::string step(const Expr& e) const {
        const std::string op = e.increment ? "++" : "--";
        return e.prefix ? op + place(e.place) : place(e.place) + op;
    }

    std::string statementExpression(const Expr& e) const {
        return e.kind == Expr::Kind::Step ? step(e) : expression(e);
    }

    std::string expression(const Expr& e) const {
        switch (e.kind) {
        case Expr::Kind::Constant:
            return number(e.constant);
        case Expr::Kind::Read:
            return place(e.place);
        case Expr::Kind::Unary:
            return std::string("(") + dialect::spelling(e.op) + expression(e.operands[0]) + ")";
        case Expr::Kind::Binary:
            return "(" + expression(e.operands[0]) + " " + dialect::spelling(e.op) + " " +
                   expression(e.operands[1]) + ")";
        case Expr::Kind::Cast:
            return "((" + e.spelling + ")" + expression(e.operands[0]) + ")";
        case Expr::Kind::Conditional:
            return "(" + expression(e.operands[0]) + " ? " + expression(e.operands[1]) + " : " +
                   expression(e.operands[2]) + ")";
        case Expr::Kind::Call: {
            const Function& f = p_.functions[e.function];
            std::string text = f.name + "(";
            for (std::size_t i = 0; i < e.operands.size(); ++i)
                text += (i == 0 ? "" : ", ") + expression(e.operands[i]);
            if (e.member >= 0 && f.structResult >= 0)
                return text + ")." + p_.structs[f.structResult].members[e.member].name;
            return text + ")";
        }
        case Expr::Kind::Step:
            return "(" + step(e) + ")";
        case Expr::Kind::AddressTest: {
            // Either side first, by the pointer's number: both orders are compiled apart.
            const std::string address = "&" + place(e.place);
            const std::string& pointer = p_.variables[e.pointer].name;
            const bool addressFirst = e.pointer % 2 == 0;
            return "(" + (addressFirst ? address : pointer) + " " + dialect::spelling(e.op) + " " +
                   (addressFirst ? pointer : address) + ")";
        }
        }
        return "";
    }

    const Program& p_;
    Reached reached_;
};

} // namespace

std::string programText(const Program& p) {
    return Writer(p).text();
}

} // namespace kavo::testing::program
