#include "script/script_runner.h"

#include "app/store_messages.h"
#include "base/date.h"
#include "base/error.h"
#include "reports/document.h"

#include <cstdio>
#include <sstream>
#include <system_error>

namespace zelt::script {

namespace {

std::vector<std::string> splitWords(const std::string& line, size_t maxWords, std::string& rest) {
    std::vector<std::string> words;
    size_t i = 0;
    rest.clear();
    while (i < line.size()) {
        if (words.size() + 1 == maxWords) {
            // The text at the end of a line is taken as typed, leading blanks included, after the
            // one blank that separates it from the words before.
            if (line[i] == ' ') ++i;
            rest = line.substr(i);
            words.push_back(rest);
            break;
        }
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        const size_t e = line.find(' ', i);
        words.push_back(line.substr(i, e == std::string::npos ? std::string::npos : e - i));
        i = e == std::string::npos ? line.size() : e;
    }
    return words;
}

const char* stateName(store::Table::State s) {
    switch (s) {
        case store::Table::State::Inactive: return "closed";
        case store::Table::State::Browse: return "browse";
        case store::Table::State::Edit: return "edit";
        case store::Table::State::Insert: return "insert";
    }
    return "?";
}

// How many words a verb takes before the rest of the line is one text.
size_t wordsOf(const std::string& verb) {
    if (verb == "field") return 4;
    if (verb == "filter" || verb == "set") return 3;
    if (verb == "event") return 4;
    if (verb == "choose") return 3;
    if (verb == "answer") return 3;
    if (verb == "tick" || verb == "untick") return 3;
    return 64;
}

}  // namespace

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[i + 1];
            if (c == 'r') { out += '\r'; ++i; continue; }
            if (c == 'n') { out += '\n'; ++i; continue; }
            if (c == '\\') { out += '\\'; ++i; continue; }
        }
        out += text[i];
    }
    return out;
}

ScriptRunner::ScriptRunner(std::filesystem::path dataDir, std::ostream& out)
    : dataDir_(std::move(dataDir)), out_(out), ui_(out) {
    clock_.target = &systemClock_;
}

ScriptRunner::~ScriptRunner() {
    if (app_) app_->stop();
}

bool ScriptRunner::run(std::istream& script) {
    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        runLine(line);
    }
    return ok_;
}

void ScriptRunner::requireStarted() const {
    if (!app_ || !app_->running()) throw EngineError("программа не запущена (нет команды start)");
}

store::Table& ScriptRunner::tableArg(const std::string& word) {
    requireStarted();
    if (word.rfind("Table", 0) != 0) throw EngineError("ожидается имя таблицы TableN: " + word);
    return app_->mainWindow().table(std::atoi(word.c_str() + 5));
}

bool ScriptRunner::runLine(const std::string& line) {
    size_t b = line.find_first_not_of(' ');
    if (b == std::string::npos || line[b] == '#') return true;
    const std::string trimmed = line.substr(b);
    const std::string verb = trimmed.substr(0, trimmed.find(' '));
    std::string rest;
    const std::vector<std::string> words = splitWords(trimmed, wordsOf(verb), rest);
    bool understood = true;
    // Each line is one user action; errors show as the program shows them and the script goes on.
    const auto body = [&] { understood = command(words, rest); };
    if (app_ && app_->running()) {
        app_->dispatch(body);
    } else {
        try {
            body();
        } catch (const EngineError& e) {
            ui_.error(app::clerkMessage(e));
        } catch (const Aborted&) {
        }
    }
    if (!understood) {
        out_ << "script: не понята строка: " << trimmed << "\n";
        ok_ = false;
    }
    return understood;
}

bool ScriptRunner::command(const std::vector<std::string>& w, const std::string& rest) {
    const std::string& verb = w[0];
    const auto arg = [&w](size_t i) -> const std::string& {
        static const std::string none;
        return i < w.size() ? w[i] : none;
    };
    if (verb == "today") {
        const auto d = parseDate(arg(1));
        if (!d) throw EngineError("неверная дата: " + arg(1));
        fixedClock_ = std::make_unique<app::FixedClock>(*d);
        clock_.target = fixedClock_.get();
        return true;
    }
    if (verb == "time") {
        // The time of day of the fixed clock, HH:MM:SS: what names the safety copies.
        int h = 0, m = 0, sec = 0;
        if (!fixedClock_ || std::sscanf(arg(1).c_str(), "%d:%d:%d", &h, &m, &sec) != 3)
            throw EngineError("неверное время (нужно today, затем ЧЧ:ММ:СС): " + arg(1));
        fixedClock_->setSecondOfDay(h * 3600 + m * 60 + sec);
        return true;
    }
    if (verb == "start") {
        if (!app_) app_ = std::make_unique<app::Application>(dataDir_, ui_, clock_);
        app_->start();
        return true;
    }
    if (verb == "stop") {
        if (app_) app_->stop();
        app_.reset();
        return true;
    }
    if (verb == "answer") {
        const std::string& kind = arg(1);
        if (kind == "text") {
            ui_.queue({true, unescape(w.size() > 2 ? rest : std::string())});
            return true;
        }
        if (kind == "yes" || kind == "no" || kind == "ok" || kind == "cancel") {
            ui_.queue({false, kind});
            return true;
        }
        return false;
    }
    if (verb == "table") {
        store::Table& t = tableArg(arg(1));
        const std::string& op = arg(2);
        if (op == "open") t.open();
        else if (op == "close") t.close();
        else if (op == "first") t.first();
        else if (op == "next") t.next();
        else if (op == "prior") t.prior();
        else if (op == "last") t.last();
        else if (op == "edit") t.edit();
        else if (op == "insert") t.insert();
        else if (op == "append") t.append();
        else if (op == "post") t.post();
        else if (op == "delete") t.deleteRecord();
        else if (op == "cancel") t.cancel();
        else if (op == "refresh") t.refresh();
        else return false;
        return true;
    }
    if (verb == "field") {
        store::Table& t = tableArg(arg(1));
        t.setText(arg(2), unescape(w.size() > 3 ? rest : std::string()));
        return true;
    }
    if (verb == "filter") {
        store::Table& t = tableArg(arg(1));
        t.setFilterText(w.size() > 2 ? rest : std::string());
        return true;
    }
    if (verb == "filtered") {
        store::Table& t = tableArg(arg(1));
        if (arg(2) != "on" && arg(2) != "off") return false;
        t.setFiltered(arg(2) == "on");
        return true;
    }
    if (verb == "index") {
        tableArg(arg(1)).setIndexName(arg(2));
        return true;
    }
    if (verb == "dump" || verb == "current") {
        store::Table& t = tableArg(arg(1));
        std::vector<int> fields;
        for (size_t i = 2; i < w.size(); ++i) fields.push_back(t.fieldIndex(w[i]));
        if (fields.empty())
            for (int i = 0; i < t.fieldCount(); ++i) fields.push_back(i);
        const auto print = [this](const std::vector<std::string>& texts) {
            for (size_t i = 0; i < texts.size(); ++i) out_ << (i ? "\t" : "") << texts[i];
            out_ << "\n";
        };
        if (verb == "current") {
            std::vector<std::string> texts;
            for (int f : fields) texts.push_back(t.textAt(f));
            print(texts);
            return true;
        }
        const int n = t.recordCount();
        for (int r = 0; r < n; ++r) print(t.rowTexts(r, fields));
        return true;
    }
    if (verb == "grid") {
        // What a grid shows: its column titles and one line per row, or that its table is closed.
        requireStarted();
        const app::Control& g = app_->model().get(arg(1));
        if (g.kind != app::ControlKind::Grid) throw EngineError(arg(1) + " не сетка");
        store::Table& t = app_->mainWindow().table(g.dataSource);
        if (!t.active()) {
            out_ << g.name << ": closed\n";
            return true;
        }
        std::vector<int> fields;
        for (const app::GridColumn& c : g.columns) fields.push_back(t.fieldIndex(c.field));
        const int n = t.recordCount();
        out_ << g.name << ": " << n << " rows\n";
        for (int r = 0; r < n; ++r) {
            const std::vector<std::string> texts = t.rowTexts(r, fields);
            for (size_t i = 0; i < texts.size(); ++i) out_ << (i ? "\t" : "  ") << texts[i];
            out_ << "\n";
        }
        return true;
    }
    if (verb == "state") {
        store::Table& t = tableArg(arg(1));
        out_ << t.name() << ": " << stateName(t.state());
        if (t.active())
            out_ << ", records " << t.recordCount() << ", row " << (t.currentRow() + 1) << (t.eof() ? ", eof" : "")
                 << (t.bof() ? ", bof" : "");
        out_ << ", filter \"" << t.filterText() << "\" " << (t.filtered() ? "on" : "off") << ", index \""
             << t.indexName() << "\"\n";
        return true;
    }
    if (verb == "exists") {
        std::error_code ec;
        const auto path = store::resolvePath(dataDir_, w.size() > 1 ? w[1] : std::string());
        if (std::filesystem::is_regular_file(path, ec))
            out_ << "exists: " << arg(1) << " (" << std::filesystem::file_size(path, ec) << " bytes)\n";
        else
            out_ << "missing: " << arg(1) << "\n";
        return true;
    }
    if (verb == "show") {
        requireStarted();
        app_->mainWindow().afterEvent();
        const app::Control& c = app_->model().get(arg(1));
        const bool showsText = c.kind == app::ControlKind::Edit || c.kind == app::ControlKind::ComboBox ||
                               c.kind == app::ControlKind::Memo || c.kind == app::ControlKind::RichEdit ||
                               c.kind == app::ControlKind::StatusPanel || c.kind == app::ControlKind::PageControl;
        out_ << c.name << ": \"" << (showsText ? c.text : c.caption) << "\" " << (c.visible ? "visible" : "hidden")
             << (c.readOnly ? " read-only" : "") << "\n";
        return true;
    }
    if (verb == "click" || verb == "event" || verb == "set" || verb == "tab" || verb == "title" || verb == "select" ||
        verb == "navigate" || verb == "key") {
        requireStarted();
        app::FormModel& m = app_->model();
        const std::string& name = arg(1);
        m.get(name);  // an unknown control is an error, as the user could not reach it
        std::string event = "Click";
        app::EventArgs args;
        if (verb == "event") {
            event = arg(2);
            if (w.size() > 3) args.text = unescape(rest);
        } else if (verb == "set") {
            event = "Change";
            args.text = unescape(w.size() > 2 ? rest : std::string());
        } else if (verb == "tab") {
            // Choosing a tab is a change of the page control that holds it.
            const std::string pageControl = m.get(name).parent;
            args.text = name;
            if (!m.fire(pageControl, "Change", args)) {
                m.get(pageControl).text = name;
                m.changed(m.get(pageControl));
            }
            return true;
        } else if (verb == "title") {
            event = "TitleClick";
            args.field = arg(2);
        } else if (verb == "select") {
            event = "Select";
            args.row = std::atol(arg(2).c_str()) - 1;
        } else if (verb == "navigate") {
            args.text = arg(2);
        } else if (verb == "key") {
            event = "KeyUp";
        }
        if (!m.fire(name, event, args)) throw EngineError("у элемента " + name + " нет события " + event);
        return true;
    }
    if (verb == "tick" || verb == "untick") {
        // A tick box of a check list, by its index (0-based) or its caption, as a click on it.
        requireStarted();
        app::FormModel& m = app_->model();
        app::Control& list = m.get(arg(1));
        if (list.kind != app::ControlKind::CheckListBox) throw EngineError(arg(1) + " не список отметок");
        const std::string choice = w.size() > 2 ? rest : std::string();
        size_t index = list.items.size();
        for (size_t i = 0; i < list.items.size() && index == list.items.size(); ++i)
            if (list.items[i] == choice) index = i;
        const bool digits = !choice.empty() && choice.find_first_not_of("0123456789") == std::string::npos;
        if (index == list.items.size() && digits && choice.size() < 6) index = std::stoul(choice);
        if (index >= list.items.size()) throw EngineError("в списке " + arg(1) + " нет выбора " + choice);
        list.checked.resize(list.items.size(), false);
        list.checked[index] = verb == "tick";
        m.changed(list);
        return true;
    }
    if (verb == "close") {
        // The window's close box: its Close event, then the window is gone.
        requireStarted();
        app::FormModel& m = app_->model();
        app::Control& form = m.get(arg(1));
        if (form.kind != app::ControlKind::Form) throw EngineError(arg(1) + " не окно");
        m.fire(arg(1), "Close");
        if (m.get(arg(1)).visible) m.setVisible(arg(1), false);
        return true;
    }
    if (verb == "popup") {
        // A context menu opened with the right mouse button: filled by its handler, then shown.
        requireStarted();
        app::FormModel& m = app_->model();
        m.get(arg(1));
        m.fire(arg(1), "Popup");
        out_ << "menu " << arg(1) << ":";
        for (const app::Control* item : m.childrenOf(arg(1)))
            out_ << (item == m.childrenOf(arg(1)).front() ? " " : " | ")
                 << (item->kind == app::ControlKind::Separator ? std::string("-") : item->caption);
        out_ << "\n";
        return true;
    }
    if (verb == "choose") {
        requireStarted();
        app::FormModel& m = app_->model();
        const std::string caption = w.size() > 2 ? rest : std::string();
        for (const app::Control* item : m.childrenOf(arg(1)))
            if (item->kind == app::ControlKind::MenuItem && item->caption == caption) {
                m.fire(item->name, "Click");
                return true;
            }
        throw EngineError("в меню " + arg(1) + " нет пункта " + caption);
    }
    if (verb == "report") {
        // The last report as text: paragraphs with alignment and bold marked, tables as rows.
        requireStarted();
        const reports::Document* d = app_->mainWindow().lastReport();
        if (!d) throw EngineError("отчёт ещё не построен");
        out_ << reports::dumpDocument(*d);
        return true;
    }
    if (verb == "panels") {
        requireStarted();
        app_->mainWindow().afterEvent();
        for (int i = 0; i <= 6; ++i) {
            const app::Control& p = app_->model().get("StatusBar1.Panel" + std::to_string(i));
            out_ << "panel " << i << ": \"" << p.text << "\" " << p.width << "\n";
        }
        return true;
    }
    return false;
}

}  // namespace zelt::script
