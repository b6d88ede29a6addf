#include "qvtext/QVStyleMonitor.h"

#include "webeditor/PageConnection.h"

#include <vector>

namespace folio {

namespace {

constexpr char kSeparator = '\x1f';

// The order of the answer's fields.
constexpr const char* kStates[] = {"underline", "bold", "italic", "strikeThrough", "superscript", "subscript",
                                   "justifyleft", "justifyright", "justifycenter", "justifyfull"};
constexpr size_t kStateCount = sizeof(kStates) / sizeof(kStates[0]);
// The states, the family, the size, the selection, undo and redo.
constexpr size_t kFieldCount = kStateCount + 5;

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t end = text.find(kSeparator, start);
        fields.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return fields;
        start = end + 1;
    }
}

} // namespace

bool QVStyleMonitor::Snapshot::operator==(const Snapshot& other) const
{
    const QVStyleState& a = style;
    const QVStyleState& b = other.style;
    return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.strikeThrough == b.strikeThrough && a.superscript == b.superscript && a.subscript == b.subscript &&
           a.justifyLeft == b.justifyLeft && a.justifyRight == b.justifyRight && a.justifyCenter == b.justifyCenter &&
           a.justifyFull == b.justifyFull && a.fontFamily == b.fontFamily && a.fontSize == b.fontSize &&
           textSelected == other.textSelected && canUndo == other.canUndo && canRedo == other.canRedo;
}

QVStyleMonitor::QVStyleMonitor(PageConnection& page, Host host)
    : m_page(page)
    , m_host(std::move(host))
{
}

QVStyleMonitor::~QVStyleMonitor()
{
    stop();
    *m_alive = false;
}

void QVStyleMonitor::start()
{
    if (m_timer)
        return;
    // A question lost with an earlier page is not waited for.
    m_asking = false;
    m_timer = RunLoop::main().scheduleTimer(kPollIntervalSeconds, true, [this] { textStyleMonitor(); });
}

void QVStyleMonitor::stop()
{
    if (m_timer)
        RunLoop::main().invalidate(m_timer);
    m_timer = 0;
}

std::string QVStyleMonitor::pollScript()
{
    std::string script = "(function(){var e=tinymce.activeEditor;if(!e)return '';var s=[";
    for (const char* state : kStates)
        script += std::string("e.queryCommandState('") + state + "'),";
    script += "e.queryCommandValue('fontName').replace(/'/g,''),"
              "(typeof getCurrentFontSize==='function'?getCurrentFontSize():''),"
              "!e.selection.isCollapsed(),e.undoManager.hasUndo(),e.undoManager.hasRedo()];"
              "return s.map(function(v){return v===true?'1':v===false?'0':String(v);}).join('\\x1f');})()";
    return script;
}

std::optional<QVStyleMonitor::Snapshot> QVStyleMonitor::snapshotFromAnswer(const std::string& answer)
{
    std::vector<std::string> fields = split(answer);
    if (fields.size() != kFieldCount)
        return std::nullopt;
    auto flag = [&](size_t i) { return fields[i] == "1"; };
    Snapshot snapshot;
    QVStyleState& style = snapshot.style;
    bool* states[] = {&style.underline,     &style.bold,        &style.italic,        &style.strikeThrough,
                      &style.superscript,   &style.subscript,   &style.justifyLeft,   &style.justifyRight,
                      &style.justifyCenter, &style.justifyFull};
    for (size_t i = 0; i < kStateCount; ++i)
        *states[i] = flag(i);
    style.fontFamily = QVStyleState::familyFromAnswer(fields[kStateCount]);
    style.fontSize = QVStyleState::fontSizeFromAnswer(fields[kStateCount + 1]);
    snapshot.textSelected = flag(kStateCount + 2);
    snapshot.canUndo = flag(kStateCount + 3);
    snapshot.canRedo = flag(kStateCount + 4);
    return snapshot;
}

void QVStyleMonitor::textStyleMonitor()
{
    if (m_asking || !m_page.isConnected() || (m_host.canPoll && !m_host.canPoll()))
        return;
    m_asking = true;
    std::weak_ptr<bool> alive = m_alive;
    m_page.ask(pollScript(), [this, alive](const std::string& answer) {
        if (alive.expired())
            return;
        m_asking = false;
        std::optional<Snapshot> snapshot = snapshotFromAnswer(answer);
        if (!snapshot || (m_last && *m_last == *snapshot))
            return;
        m_last = snapshot;
        if (m_host.styleDidChange)
            m_host.styleDidChange(*snapshot);
    });
}

} // namespace folio
