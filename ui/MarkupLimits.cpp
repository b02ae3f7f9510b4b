#include "MarkupLimits.h"

#include <QHash>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace qob {

namespace {

constexpr QChar kZeroWidthSpace(0x200B);
// How far the rules that close an element without its end tag look for it.
constexpr int kScopeSearch = 64;

QString marker() {
    return QStringLiteral("……");
}

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Where the layout may break a line: blanks, the zero-width space, and CJK characters,
// each of which is a break opportunity of its own. Anything else counts as part of a run,
// which errs towards more breaks, never fewer.
bool offersBreak(char16_t c) {
    return isSpace(QChar(c)) || c == 0x200B || c == 0x3000 || (c >= 0x2E80 && c <= 0x9FFF) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF);
}

// Counts the characters of runs without a break and puts a zero-width space in front of
// the unit that would make one longer than MaxUnbrokenRun.
class RunBreaker {
  public:
    // Appends `unit` (one character, a surrogate pair or an entity) to out.
    void append(QString& out, QStringView unit, bool breaks) {
        if (breaks) {
            run_ = 0;
        } else {
            if (run_ >= MarkupLimits::MaxUnbrokenRun) {
                out += kZeroWidthSpace;
                run_ = 0;
            }
            ++run_;
        }
        out += unit;
    }
    void reset() { run_ = 0; }

  private:
    int run_ = 0;
};

// The length of the text unit at i: a surrogate pair is one character.
qsizetype unitLength(const QString& text, qsizetype i) {
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
               ? 2
               : 1;
}

// Elements whose rules the limiter follows; every other name gets a number of its own.
// clang-format off
enum Name : int {
    Other = 0,
    P = 1, Li, Ul, Ol, Menu, Dir, Dl, Dt, Dd, Table, Tr, Td, Th, Thead, Tbody, Tfoot,
    Colgroup, Select, Option, Br, Hr, Img, Meta, Div, Blockquote, Pre, Center, Body, Html, Head,
    H1, H2, H3, H4, H5, H6, Style, Script, Title,
    KnownCount
};
// clang-format on

struct Tag {
    int name;  // a Name, or a number of KnownCount and above for any other name
    bool closing = false;
    bool selfClosing = false;
    qsizetype end = 0;  // just after its ">"
    int colspan = 1;
    int rowspan = 1;
    QString text;  // as it goes out
};

class MarkupLimiter {
  public:
    explicit MarkupLimiter(const QString& html) : in_(html) { out_.reserve(html.size()); }

    LimitedMarkup run();

  private:
    struct TableState {
        int rows = 0;
        int columns = 0;  // of the current row
        int maxColumns = 0;
        int rowsNeeded = 0;  // rows that spans reach into
        long long gridSlots = 0;
        std::array<int, MarkupLimits::MaxSpan> carried{};  // columns taken by spans from above
    };
    struct Open {
        int name;
        int items = 0;   // list items so far, for a list
        int table = -1;  // its TableState, for a table
    };

    int nameId(QStringView name);
    bool readTag(qsizetype at, Tag& tag);
    void text(qsizetype from, qsizetype to);
    void startTag(Tag& tag);
    void endTag(const Tag& tag);
    void closeImplied(int name);
    int nearest(std::initializer_list<int> names, std::initializer_list<int> bounds) const;
    void push(const Open& open);
    void popTo(std::size_t index);
    bool dropping() const { return dropFrom_ >= 0; }
    std::size_t keptDepth() const { return dropping() ? std::size_t(dropFrom_) : stack_.size(); }
    bool acceptSlots(const Tag* cell);
    void startRow(TableState& t);
    void noteCut();
    void put(QStringView part);

    const QString& in_;
    QString out_;
    QHash<QString, int> names_;
    std::vector<Open> stack_;
    std::vector<TableState> tables_;
    QHash<int, int> openCount_;  // elements of each name in stack_
    long dropFrom_ = -1;         // index in stack_ of the element being left out
    int elements_ = 0;
    int images_ = 0;
    int tableDepth_ = 0;
    int hiddenDepth_ = 0;  // open <style>, <script>, <title>: text that is never laid out
    long long slots_ = 0;
    bool cut_ = false;
    bool stopped_ = false;
    bool markerLast_ = false;
    RunBreaker runs_;
};

int MarkupLimiter::nameId(QStringView name) {
    static const QHash<QString, int> known = [] {
        // In the order of Name.
        const QStringList words =
            QStringLiteral(
                "p li ul ol menu dir dl dt dd table tr td th thead tbody tfoot colgroup select "
                "option br hr img meta div blockquote pre center body html head h1 h2 h3 h4 h5 h6 "
                "style script title")
                .split(u' ');
        QHash<QString, int> map;
        for (int k = 0; k < words.size(); ++k)
            map.insert(words.at(k), P + k);
        return map;
    }();
    const QString lower = name.toString().toLower();
    if (const auto it = known.constFind(lower); it != known.cend()) return *it;
    if (const auto it = names_.constFind(lower); it != names_.cend()) return *it;
    const int id = KnownCount + int(names_.size());
    names_.insert(lower, id);
    return id;
}

// Reads the tag that starts at `at` ("<"), with its attributes as the parser reads them:
// a value in quotes may hold ">". As for the parser, any "<" not followed by "!" or "?"
// starts a tag, its name perhaps empty. False when the page ends inside it.
bool MarkupLimiter::readTag(qsizetype at, Tag& tag) {
    const qsizetype n = in_.size();
    qsizetype i = at + 1;
    if (i < n && in_.at(i) == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < n && !isSpace(in_.at(i)) && in_.at(i) != u'>' && in_.at(i) != u'/')
        ++i;
    tag.name = nameId(QStringView(in_).mid(nameStart, i - nameStart));
    tag.text.clear();
    qsizetype copied = at;
    QChar last;
    while (i < n) {
        const QChar c = in_.at(i);
        if (c == u'>') {
            tag.selfClosing = last == u'/';
            tag.end = i + 1;
            tag.text += QStringView(in_).mid(copied, tag.end - copied);
            return true;
        }
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == u'/') {
            last = c;
            ++i;
            continue;
        }
        // An attribute: name, and "=" with a value.
        const qsizetype attrStart = i;
        while (i < n && !isSpace(in_.at(i)) && in_.at(i) != u'>' && in_.at(i) != u'=' &&
               (in_.at(i) != u'/' || i == attrStart))
            ++i;
        const QString attr = QStringView(in_).mid(attrStart, i - attrStart).toString().toLower();
        last = in_.at(i - 1);
        qsizetype j = i;
        while (j < n && isSpace(in_.at(j)))
            ++j;
        if (j >= n || in_.at(j) != u'=') continue;
        i = j + 1;
        while (i < n && isSpace(in_.at(i)))
            ++i;
        if (i >= n) break;
        qsizetype valueStart = i;
        qsizetype valueEnd;
        if (in_.at(i) == u'"' || in_.at(i) == u'\'') {
            const QChar quote = in_.at(i);
            valueStart = i + 1;
            valueEnd = in_.indexOf(quote, valueStart);
            if (valueEnd < 0) return false;
            i = valueEnd + 1;
        } else {
            while (i < n && !isSpace(in_.at(i)) && in_.at(i) != u'>')
                ++i;
            valueEnd = i;
        }
        last = QChar();
        if (attr != QLatin1String("colspan") && attr != QLatin1String("rowspan")) continue;
        // The parser reads a span as a whole number; anything else is a span of 1.
        const QStringView value = QStringView(in_).mid(valueStart, valueEnd - valueStart).trimmed();
        if (value.isEmpty() ||
            !std::all_of(value.begin(), value.end(), [](QChar d) { return d.isDigit(); }))
            continue;
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);  // not ok: too many digits
        const bool tooLarge = !ok || number > MarkupLimits::MaxSpan;
        const int span = tooLarge ? MarkupLimits::MaxSpan : int(std::max<qlonglong>(1, number));
        (attr == QLatin1String("colspan") ? tag.colspan : tag.rowspan) = span;
        if (tooLarge) {
            tag.text += QStringView(in_).mid(copied, valueStart - copied);
            tag.text += QString::number(span);
            copied = valueEnd;
        }
    }
    return false;
}

LimitedMarkup MarkupLimiter::run() {
    const qsizetype n = in_.size();
    qsizetype i = 0;
    while (i < n && !stopped_) {
        const qsizetype lt = in_.indexOf(u'<', i);
        const qsizetype textEnd = lt < 0 ? n : lt;
        if (textEnd > i) text(i, textEnd);
        if (lt < 0) break;
        i = lt;
        const QStringView rest = QStringView(in_).mid(i);
        if (rest.startsWith(u"<!--")) {
            const qsizetype close = in_.indexOf(QLatin1String("-->"), i + 4);
            const qsizetype end = close < 0 ? n : close + 3;
            if (!dropping()) put(QStringView(in_).mid(i, end - i));
            i = end;
            continue;
        }
        if (rest.size() > 1 && (rest.at(1) == u'!' || rest.at(1) == u'?')) {
            const qsizetype close = in_.indexOf(u'>', i);
            const qsizetype end = close < 0 ? n : close + 1;
            if (!dropping()) put(QStringView(in_).mid(i, end - i));
            i = end;
            continue;
        }
        Tag tag;
        if (!readTag(i, tag)) {
            // The page ends inside a tag, which the parser would not show either.
            if (!dropping()) put(QStringView(in_).mid(i));
            break;
        }
        i = tag.end;
        if (tag.closing)
            endTag(tag);
        else
            startTag(tag);
    }
    return {out_, cut_};
}

void MarkupLimiter::text(qsizetype from, qsizetype to) {
    if (dropping()) return;
    if (hiddenDepth_ > 0) {
        // Never laid out: it breaks nothing, and takes no part in the runs around it.
        put(QStringView(in_).mid(from, to - from));
        return;
    }
    qsizetype i = from;
    while (i < to) {
        const QChar c = in_.at(i);
        if (c == u'&') {
            // An entity is one character to the layout.
            qsizetype j = i + 1;
            while (j < to && j - i < 32 && (in_.at(j).isLetterOrNumber() || in_.at(j) == u'#'))
                ++j;
            if (j < to && in_.at(j) == u';' && j > i + 1) {
                const QStringView entity = QStringView(in_).mid(i, j + 1 - i);
                const bool breaks =
                    entity.compare(u"&#32;") == 0 ||
                    entity.compare(u"&#x200b;", Qt::CaseInsensitive) == 0 ||
                    entity.compare(u"&#8203;") == 0 || entity.compare(u"&ensp;") == 0 ||
                    entity.compare(u"&emsp;") == 0 || entity.compare(u"&thinsp;") == 0;
                runs_.append(out_, entity, breaks);
                i = j + 1;
                markerLast_ = false;
                continue;
            }
        }
        const qsizetype len = unitLength(in_, i);
        runs_.append(out_, QStringView(in_).mid(i, len), offersBreak(c.unicode()));
        if (!isSpace(c)) markerLast_ = false;
        i += len;
    }
}

int MarkupLimiter::nearest(std::initializer_list<int> names,
                           std::initializer_list<int> bounds) const {
    const long lowest = std::max<long>(0, long(stack_.size()) - kScopeSearch);
    for (long k = long(stack_.size()) - 1; k >= lowest; --k) {
        const int name = stack_[std::size_t(k)].name;
        if (std::find(names.begin(), names.end(), name) != names.end()) return int(k);
        if (std::find(bounds.begin(), bounds.end(), name) != bounds.end()) return -1;
    }
    return -1;
}

void MarkupLimiter::popTo(std::size_t index) {
    while (stack_.size() > index) {
        const Open& top = stack_.back();
        const bool kept = !dropping() || stack_.size() - 1 < std::size_t(dropFrom_);
        if (kept && top.name == Table) --tableDepth_;
        if (kept && (top.name == Style || top.name == Script || top.name == Title)) --hiddenDepth_;
        --openCount_[top.name];
        stack_.pop_back();
        if (dropping() && stack_.size() <= std::size_t(dropFrom_)) dropFrom_ = -1;
    }
}

// The elements that a new one closes when their end tag is left out, as pages rely on.
void MarkupLimiter::closeImplied(int name) {
    int at = -1;
    switch (name) {
        case Li:
            at = nearest({Li}, {Ul, Ol, Menu, Dir, Table, Td, Th});
            break;
        case Dt:
        case Dd:
            at = nearest({Dt, Dd}, {Dl, Table, Td, Th, Li});
            break;
        case Td:
        case Th:
            at = nearest({Td, Th}, {Tr, Table});
            break;
        case Tr:
            at = nearest({Tr}, {Table, Thead, Tbody, Tfoot});
            break;
        case Thead:
        case Tbody:
        case Tfoot:
            at = nearest({Thead, Tbody, Tfoot}, {Table});
            break;
        case Option:
            at = nearest({Option}, {Select});
            break;
        case P:
        case Div:
        case Ul:
        case Ol:
        case Dl:
        case Table:
        case Blockquote:
        case Pre:
        case Center:
        case Hr:
        case H1:
        case H2:
        case H3:
        case H4:
        case H5:
        case H6:
            at = nearest({P}, {Div, Td, Th, Li, Table, Body, Blockquote, Ul, Ol, Dl, Center});
            break;
        default:
            break;
    }
    if (at >= 0) popTo(std::size_t(at));
}

void MarkupLimiter::startRow(TableState& t) {
    ++t.rows;
    const std::size_t slot = std::size_t(t.rows % MarkupLimits::MaxSpan);
    t.columns = t.carried[slot];
    t.carried[slot] = 0;
    t.rowsNeeded = std::max(t.rowsNeeded, t.rows);
}

// Counts a row (no cell) or a cell of the innermost table; false, and the table as it was,
// when the tables of the page would get more slots than allowed.
bool MarkupLimiter::acceptSlots(const Tag* cell) {
    const int at = nearest({Table}, {});
    if (at < 0) return true;
    TableState& t = tables_[std::size_t(stack_[std::size_t(at)].table)];
    const TableState before = t;
    if (!cell || t.rows == 0) startRow(t);  // a cell before any row opens one
    if (cell) {
        t.columns += cell->colspan;
        t.maxColumns = std::max(t.maxColumns, t.columns);
        t.rowsNeeded = std::max(t.rowsNeeded, t.rows + cell->rowspan - 1);
    }
    const long long gridSlots = (long long)t.rowsNeeded * t.maxColumns;
    if (slots_ + gridSlots - t.gridSlots > MarkupLimits::MaxTableSlots) {
        t = before;
        return false;
    }
    slots_ += gridSlots - t.gridSlots;
    t.gridSlots = gridSlots;
    for (int k = 1; cell && k < cell->rowspan; ++k)
        t.carried[std::size_t((t.rows + k) % MarkupLimits::MaxSpan)] += cell->colspan;
    return true;
}

void MarkupLimiter::noteCut() {
    cut_ = true;
    // Text here would land in no cell, or in a list of choices, where it does not show.
    static const std::initializer_list<int> noText = {Table, Tr,       Thead,  Tbody,
                                                      Tfoot, Colgroup, Select, Head};
    const std::size_t depth = keptDepth();
    const int parent = depth == 0 ? Other : stack_[depth - 1].name;
    if (markerLast_ || std::find(noText.begin(), noText.end(), parent) != noText.end()) return;
    out_ += marker();
    runs_.reset();
    markerLast_ = true;
}

void MarkupLimiter::put(QStringView part) {
    out_ += part;
}

void MarkupLimiter::startTag(Tag& tag) {
    const int name = tag.name;
    const bool isVoid = tag.selfClosing || name == Br || name == Hr || name == Img || name == Meta;
    closeImplied(name);
    if (name == Br || name == Hr || name == P || name == Div || name == Li || name == Td ||
        name == Th || name == Tr || name == Table)
        runs_.reset();

    if (dropping()) {
        if (!isVoid) push({name});
        return;
    }

    if (elements_ >= MarkupLimits::MaxElements) {
        noteCut();
        stopped_ = true;
        return;
    }
    bool drop = false;
    if (name == Img && images_ >= MarkupLimits::MaxImages) drop = true;
    if (name == Table && tableDepth_ >= MarkupLimits::MaxTableDepth) drop = true;
    if (!isVoid && stack_.size() >= std::size_t(MarkupLimits::MaxDepth)) drop = true;
    if (!drop && name == Li) {
        const int list = nearest({Ul, Ol, Menu, Dir}, {Table, Td, Th});
        if (list >= 0 && ++stack_[std::size_t(list)].items > MarkupLimits::MaxListItems)
            drop = true;
    }
    if (!drop && !isVoid && name == Tr) drop = !acceptSlots(nullptr);
    if (!drop && !isVoid && (name == Td || name == Th)) drop = !acceptSlots(&tag);

    if (drop) {
        noteCut();
        if (!isVoid) {
            dropFrom_ = long(stack_.size());
            push({name});
        }
        return;
    }

    put(tag.text);
    markerLast_ = false;
    ++elements_;
    if (name == Img) ++images_;
    if (isVoid) return;
    Open open{name};
    if (name == Table) {
        ++tableDepth_;
        open.table = int(tables_.size());
        tables_.emplace_back();
    }
    if (name == Style || name == Script || name == Title) ++hiddenDepth_;
    push(open);
}

void MarkupLimiter::push(const Open& open) {
    stack_.push_back(open);
    ++openCount_[open.name];
}

void MarkupLimiter::endTag(const Tag& tag) {
    const int name = tag.name;
    if (name == Br || name == P || name == Div || name == Li || name == Td || name == Th ||
        name == Tr || name == Table)
        runs_.reset();
    long at = -1;
    for (long k = long(stack_.size()) - 1; openCount_.value(name) > 0 && k >= 0; --k) {
        if (stack_[std::size_t(k)].name == name) {
            at = k;
            break;
        }
    }
    const bool wasDropping = dropping();
    const long dropFrom = dropFrom_;
    if (at >= 0) popTo(std::size_t(at));
    // The end tag of a kept element goes out; that of a dropped one does not.
    const bool kept = !wasDropping || (at >= 0 && at < dropFrom);
    if (kept) put(tag.text);
}

}  // namespace

LimitedMarkup limitMarkup(const QString& html) {
    return MarkupLimiter(html).run();
}

QString breakLongRuns(const QString& text) {
    QString out;
    out.reserve(text.size());
    RunBreaker runs;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = unitLength(text, i);
        runs.append(out, QStringView(text).mid(i, len), offersBreak(text.at(i).unicode()));
        i += len;
    }
    return out;
}

}  // namespace qob
