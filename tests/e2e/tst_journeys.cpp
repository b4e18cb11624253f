// The built program as a person uses it: a portable copy (the program, its web window plugin and
// the marker that keeps its data beside it) run on the test display, driven with real pointer
// and key events, checked from screenshots, window frames and the accessibility bus.

#include "testsupport.h"

#include <QDebug>
#include <QDir>
#include <QLocale>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace velaria::testing;

namespace {

constexpr int WaitMs = 15000;
const QColor Red(255, 0, 0), SundayRed(128, 0, 0), Green(0, 192, 0), Black(0, 0, 0);

// Runs a tool's words and `more`: its output, or a null array when it failed or took too long.
QByteArray run(const QString &words, const QStringList &more = {})
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(words.section(u' ', 0, 0), words.split(u' ').mid(1) + more);
    const bool done = tool.waitForFinished(WaitMs) && tool.exitStatus() == QProcess::NormalExit;
    tool.kill();
    tool.waitForFinished();
    const QByteArray out = tool.readAllStandardOutput();
    return done && tool.exitCode() == 0 ? (out.isNull() ? QByteArray("") : out) : QByteArray();
}

} // namespace

// Waits by the clock (QTRY_ counts tries, which take a while here); `seen` tells what was there.
#define WAIT_UNTIL(condition, seen)                                                                \
    QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, WaitMs), qPrintable(seen))

class TestJourneys : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<QProcess> m_program;
    QProcessEnvironment m_environment;
    QString m_main;  // the main window
    QPoint m_origin; // of the client area under the menu bar, on the screen
    int m_menuHeight = 0;
    QImage m_shot; // the last screenshot checked
    QString m_wrong;

    static int px(int twips) { return qRound(twips / 15.0); }
    static QString text(const QString &w) { return QString::fromUtf8(run(w)).trimmed(); }
    static QImage screenshot() { return QImage::fromData(run(u"import -window root png:-"_s)); }

    // A window's client area on the screen (xdotool's position counts the frame twice), or its
    // frame: the area grown by the extents the window manager sets once it has framed it.
    static QRect windowRect(const QString &window, bool frame = false)
    {
        static const QRegularExpression info(
            u"Absolute upper-left X: +(-?\\d+).*?Absolute upper-left Y: +(-?\\d+).*?Width: (\\d+)"
            ".*?Height: (\\d+)(?:.*?Frame extents: (\\d+), (\\d+), (\\d+), (\\d+))?"_s,
            QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = info.match(text(u"xwininfo -wm -stats -id "_s + window));
        const auto n = [&m](int i) { return m.captured(i).toInt(); };
        if (!m.hasMatch() || (frame && !m.hasCaptured(5)))
            return {};
        const QRect client(n(1), n(2), n(3), n(4));
        return frame ? client.adjusted(-n(5), -n(7), n(6), n(8)) : client;
    }

    // Empty when the window's frame lies whole on the screen, centred across and, when
    // `middle`, down, else at the top; else where it lies.
    static QString frameMismatch(const QString &window, bool middle)
    {
        const QStringList size = text(u"xdotool getdisplaygeometry"_s).split(u' ');
        const QRect screen(0, 0, size.value(0).toInt(), size.value(1).toInt());
        const QRect frame = windowRect(window, true);
        const QPoint off =
            frame.topLeft() - QPoint((screen.width() - frame.width()) / 2,
                                     middle ? (screen.height() - frame.height()) / 2 : 0);
        QString where;
        if (!frame.isValid() || !screen.contains(frame) || qAbs(off.x()) > 1 || qAbs(off.y()) > 1)
            QDebug(&where) << "frame" << frame << "on the screen" << screen;
        return where;
    }

    // Gives the window the keyboard (the window manager takes its time), then xdotool's words.
    static bool press(const QString &window, const QString &words = {})
    {
        const auto active = [&] {
            run(u"xdotool windowactivate "_s + window);
            return text(u"xdotool getactivewindow"_s) == window;
        };
        return QTest::qWaitFor(active, WaitMs) &&
               (words.isEmpty() || !run(u"xdotool "_s + words).isNull());
    }

    QString path(const QString &name) const { return m_root->filePath(u"programma/"_s + name); }
    QPoint at(int x, int y) const { return m_origin + QPoint(px(x), px(y)); } // client twips

    // Starts the program: false when no main window came. It should come centred by its frame;
    // where it is instead, `m_wrong` says after a while.
    bool start()
    {
        m_program = std::make_unique<QProcess>();
        m_program->setProcessEnvironment(m_environment);
        m_program->setProcessChannelMode(QProcess::ForwardedChannels);
        m_program->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_program->start(path(u"velaria"_s), {});
        m_main = m_program->waitForStarted(WaitMs) ? waitForWindow(u"^Velaria ver"_s) : QString();
        (void)QTest::qWaitFor([this] { return (m_wrong = frameMismatch(m_main, true)).isEmpty(); },
                              WaitMs);
        const QRect client = windowRect(m_main);
        m_menuHeight = client.height() - px(5610);
        m_origin = client.topLeft() + QPoint(0, m_menuHeight);
        return client.isValid();
    }

    QString waitForWindow(const QString &title)
    {
        const QString search =
            u"xdotool search --all --onlyvisible --pid %1 --name"_s.arg(m_program->processId());
        QString id;
        const auto found = [&] {
            return !(id = QString::fromUtf8(run(search, {title})).section(u'\n', 0, 0)).isEmpty();
        };
        return QTest::qWaitFor(found, WaitMs) ? id : QString();
    }

    // Closes the main window as its title bar's button does: the exit code, -1 for none.
    int closeAndWait()
    {
        run(u"wmctrl -i -c "_s + m_main);
        const bool ended =
            m_program->waitForFinished(WaitMs) && m_program->exitStatus() == QProcess::NormalExit;
        return ended ? m_program->exitCode() : -1;
    }

    // The processes that the program left running: the test is their subreaper, so the
    // program's orphans become its children.
    static QString leftOver()
    {
        return text(u"pgrep -a -r D,R,S,T -P %1"_s.arg(QCoreApplication::applicationPid()));
    }

    // A cell of the grid, counted row by row from Monday; a day's in its month's grid.
    QRect cell(int i) const { return {at(30 + i % 7 * 968, 1450 + i / 7 * 620), QSize(65, 41)}; }
    QRect cell(const QDate &d) const
    {
        return cell(QDate(d.year(), d.month(), 1).dayOfWeek() - 2 + d.day());
    }

    bool click(QPoint at)
    {
        return press(m_main, u"mousemove --sync %1 %2 click 1"_s.arg(at.x()).arg(at.y()));
    }

    // Ctrl+G, and a date in the box it opens.
    bool enterDate(const QString &date)
    {
        const QString box = press(m_main, u"key ctrl+g"_s)
                                ? waitForWindow(u"^Inserire la nuova data$"_s)
                                : QString();
        return !box.isEmpty() && press(box, u"key ctrl+a"_s) && press(box, u"type "_s + date) &&
               press(box, u"key Return"_s);
    }

    // Empty when a screenshot shows the month in the grid: ink (a number) in the cells of its
    // days and in no other, but the one above today's, which the "oggi è" mark reaches into;
    // and the given days in their colours, without a trace of the other marks' colours.
    QString gridMismatch(const QDate &month, const QList<std::pair<int, QColor>> &colours = {})
    {
        m_shot = screenshot();
        const QDate first(month.year(), month.month(), 1);
        const QDate monday = first.addDays(1 - first.dayOfWeek());
        const QColor paper = m_shot.pixelColor(cell(0).topLeft() + QPoint(1, 1));
        QStringList wrong;
        for (int index = 0; index < 42; ++index) {
            const QDate day = monday.addDays(index);
            const QRect in = cell(index).adjusted(8, 6, -8, -6);
            const int ink = in.width() * in.height() - countColour(m_shot, in, paper);
            if (day.month() == month.month() ? ink < 20
                                             : ink > 20 && day != QDate::currentDate().addDays(-7))
                wrong << u"cell of %1"_s.arg(day.toString(u"d/M"_s));
        }
        for (const auto &[day, colour] : colours) {
            for (const QColor &other : {Red, SundayRed, Green, Black}) {
                const int n =
                    countColour(m_shot, cell(first.addDays(day - 1)).adjusted(8, 6, -8, -6), other);
                if (other == colour ? n < 10 : n > 0)
                    wrong << u"%1 px of %2 in day %3"_s.arg(n).arg(other.name()).arg(day);
            }
        }
        return wrong.join(u", "_s);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
        // The window manager, started with the display, may not be running yet.
        const auto running = [] {
            return text(u"xprop -root _NET_SUPPORTING_WM_CHECK"_s).contains(u'#');
        };
        QVERIFY2(QTest::qWaitFor(running, WaitMs), "no window manager");
    }

    // A fresh portable copy, with a home of its own and one recurrence.
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        const QFileInfo program(QStringLiteral(VELARIA_PROGRAM));
        const QString plugin = QStringLiteral(VELARIA_WEBWINDOW_PLUGIN);
        QVERIFY(QDir(m_root->path()).mkpath(u"programma"_s));
        QVERIFY(QFile::copy(program.filePath(), path(u"velaria"_s)));
        QVERIFY(QFile::copy(program.dir().filePath(u"portable"_s), path(u"portable"_s)));
        QVERIFY(plugin.isEmpty() || QFile::copy(plugin, path(QFileInfo(plugin).fileName())));
        QVERIFY(writeBytes(path(u"Ricorrenze.txt"_s), "12/13 - <v>Compleanno\r\n"));
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(u"HOME"_s, m_root->path());
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            const QString name = QStringLiteral(VELARIA_E2E_ARTIFACTS "/") +
                                 QLatin1String(QTest::currentTestFunction());
            QDir().mkpath(QStringLiteral(VELARIA_E2E_ARTIFACTS));
            screenshot().save(name + u"-schermo.png"_s);
            m_shot.save(name + u"-verifica.png"_s);
            qWarning("screenshots of the failure: %s-*.png", qPrintable(name));
        }
        m_program.reset(); // ends a program still running
        m_shot = {};
    }

    void monthsPageWindowAndClosing()
    {
        QVERIFY(start());
        QVERIFY2(m_wrong.isEmpty(), qPrintable(u"main window: "_s + m_wrong));
        QDate month = QDate::currentDate();
        WAIT_UNTIL((m_wrong = gridMismatch(month)).isEmpty(), m_wrong);

        // ">>", then Page Down: a month on each time, in the grid and in the caption.
        const QRect caption(at(90 + 600, 30 + 120), QSize(px(5685), px(495)));
        for (const bool byKey : {false, true}) {
            const QImage before = m_shot.copy(caption);
            QVERIFY(byKey ? press(m_main, u"key Next"_s)
                          : click(at(90 + 6060 + 262, 30 + 150 + 247)));
            month = month.addMonths(1);
            WAIT_UNTIL((m_wrong = gridMismatch(month)).isEmpty(), m_wrong);
            QVERIFY2(m_shot.copy(caption) != before, "the caption did not change");
        }
        QVERIFY(enterDate(u"25/12/2026"_s));
        // December 2026: its holidays red, its Sundays dark red, the 13th green by the recurrence.
        const QList<std::pair<int, QColor>> marks = {{8, Red},       {25, Red},   {26, Red},
                                                     {6, SundayRed}, {13, Green}, {24, Black}};
        WAIT_UNTIL((m_wrong = gridMismatch(QDate(2026, 12, 1), marks)).isEmpty(), m_wrong);

        // The page window opens from the menu bar with its whole frame on the screen, at the
        // top; the test's own menu bar with the same items finds the item.
        QMenuBar bar;
        bar.addAction(u"Data Corrente"_s);
        bar.addMenu(u"Ricorrenze"_s);
        QAction *pages = bar.addAction(u"Pagina di creazione e stampa"_s);
        bar.addAction(u"Sito"_s);
        bar.resize(px(6855), bar.sizeHint().height());
        QVERIFY(
            click(m_origin + QPoint(bar.actionGeometry(pages).center().x(), -m_menuHeight / 2)));
        const QString page = waitForWindow(u"^Finestra creazione calendario"_s);
        WAIT_UNTIL((m_wrong = frameMismatch(page, false)).isEmpty(), m_wrong);

        // Closing the main window closes the page window too, and ends the program and all it ran.
        QCOMPARE(closeAndWait(), 0);
        QCOMPARE(leftOver(), QString());
    }

    // The editor, opened on a file with a line, adds nothing before a line is chosen. The window
    // moved, minimised and restored stays where it was put. A line added and not saved is not
    // lost when the window closes: the program asks, and "Annulla" keeps it open.
    void recurrenceEditorAndClosing()
    {
        QVERIFY(start());
        QVERIFY(press(m_main, u"key alt+r i"_s));               // "Ricorrenze", "Inserimento"
        QVERIFY(click(at(90 + 5820 + 397, 780 + 3900 + 157)));  // "Inserisci"
        QVERIFY(click(at(90 + 90 + 1000, 780 + 240 + 120)));    // the first line
        QVERIFY(click(at(90 + 1380 + 2197, 780 + 3900 + 157))); // its text
        QVERIFY(press(m_main, u"key ctrl+a"_s) && press(m_main, u"type Sagra"_s) &&
                press(m_main, u"key Return"_s));

        const QRect centred = windowRect(m_main, true);
        QVERIFY(!run(u"xdotool windowmove %1 100 80"_s.arg(m_main)).isNull());
        QRect moved;
        WAIT_UNTIL((moved = windowRect(m_main, true)).isValid() && moved != centred,
                   u"not moved"_s);
        QVERIFY(!run(u"xdotool windowminimize --sync "_s + m_main).isNull());
        QVERIFY(press(m_main));                           // brought back
        for (const char *answer : {"Escape", "Return"}) { // "Annulla", then "Salva"
            run(u"wmctrl -i -c "_s + m_main);
            const QString question = waitForWindow(u"^Ricorrenze$"_s);
            QCOMPARE(windowRect(m_main, true), moved);
            QVERIFY(!question.isEmpty() && press(question, u"key "_s + QLatin1String(answer)));
            WAIT_UNTIL(windowRect(question).isNull(), u"the question stays"_s);
        }
        QVERIFY(m_program->waitForFinished(WaitMs) && m_program->exitCode() == 0);
        QCOMPARE(readBytes(path(u"Ricorrenze.txt"_s)),
                 QByteArray("12/13 - <v>Compleanno\r\n12/13 - Sagra\r\n"));
        QCOMPARE(leftOver(), QString());
    }

    // Orca itself, what it would speak written to its debug log (the speech server is off: no
    // sound device is needed): what it says at start, after Page Down, after a typed date, on
    // opening the editor and after "Salva Pagina", all from the keyboard.
    void orcaSaysWhatIsShown()
    {
        const QString log = m_root->filePath(u"orca.log"_s);
        // Orca's log goes through a buffer of its Python; written line by line, it can be read
        // as Orca speaks.
        QVERIFY(QDir(m_root->path()).mkpath(u"python"_s));
        QVERIFY(writeBytes(m_root->filePath(u"python/sitecustomize.py"_s),
                           "import builtins\no = builtins.open\nbuiltins.open = lambda f, m='r', "
                           "b=-1, *a, **k: o(f, m, 1 if b == -1 and m == 'w' else b, *a, **k)\n"));
        QProcessEnvironment orcaEnvironment = m_environment;
        orcaEnvironment.insert(u"PYTHONPATH"_s, m_root->filePath(u"python"_s));
        QProcess orca;
        orca.setProcessEnvironment(orcaEnvironment);
        orca.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        orca.setStandardOutputFile(QProcess::nullDevice());
        orca.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        orca.start(u"orca"_s, {u"--replace"_s, u"--disable=speech"_s, u"--debug-file="_s + log});
        qsizetype from = 0;
        QString heard;
        // Waits until the log says `text` after the last step, then marks where the next begins.
        const auto logged = [&](const QRegularExpression &text) {
            QByteArray all;
            const bool yes = QTest::qWaitFor(
                [&] {
                    all = readBytes(log);
                    return (heard = QString::fromUtf8(all.mid(from))).contains(text);
                },
                WaitMs);
            from = all.size();
            if (!yes && QDir().mkpath(QStringLiteral(VELARIA_E2E_ARTIFACTS)) &&
                QFile::copy(log, QStringLiteral(VELARIA_E2E_ARTIFACTS "/orca.log")))
                qWarning("Orca did not say \"%s\" but:\n%s", qPrintable(text.pattern()),
                         qPrintable(heard.split(u'\n').filter(u"SPEECH OUTPUT"_s).join(u'\n')));
            return yes;
        };
        const auto said = [&](const QString &words) { // in a line of speech, maybe after others
            return logged(
                QRegularExpression(u"SPEECH OUTPUT: '.*"_s + QRegularExpression::escape(words)));
        };
        QVERIFY(orca.waitForStarted(WaitMs) &&
                logged(QRegularExpression(u"EVENT MANAGER: Activated"_s)));
        m_environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        QVERIFY(QDir(m_root->path()).mkpath(u"Desktop"_s));
        QVERIFY(start());

        const QLocale italian(QLocale::Italian);
        const QDate today = QDate::currentDate();
        const auto day = [&](const QDate &d) {
            return italian.toString(d, u"d MMMM yyyy, dddd"_s);
        };
        QVERIFY(said(day(today))); // and the rest of its week
        const QRegularExpression todaySaid(QRegularExpression::escape(day(today)) + u"[^']*oggi"_s);
        QVERIFY2(heard.contains(todaySaid), qPrintable(heard));
        QVERIFY(press(m_main, u"key Next"_s) && said(day(today.addMonths(1))));
        QVERIFY(enterDate(u"25/12/2026"_s) && said(u"25 dicembre 2026, venerdì, Natale"_s));
        // F10 and the menu: the editor, its list the first thing heard; Escape closes it.
        QVERIFY(press(m_main, u"key F10 Down Down Right Return"_s) &&
                said(u"Elenco delle ricorrenze"_s));
        QVERIFY(press(m_main, u"key Escape"_s) && said(u"Giorni di DICEMBRE 2026"_s));
        QVERIFY(press(m_main, u"key F10 Down Down Down Return"_s) &&
                said(u"Anteprima della pagina"_s));
        const QString page = waitForWindow(u"^Finestra creazione calendario"_s);
        QVERIFY(press(page, u"key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab"_s) &&
                said(u"Salva Pagina push button"_s));
        QVERIFY(press(page, u"key space"_s) && said(u"notification Pagina salvata nel file \""_s +
                                                    m_root->path() + u"/Desktop/DICEMBRE.bmp\""_s));
        QCOMPARE(closeAndWait(), 0);
        // Orca, its work done, sometimes takes its time over a polite end.
        orca.terminate();
        if (!orca.waitForFinished(WaitMs / 3))
            orca.kill();
    }

    // As root the browser engine refuses to start without its sandbox, and would end the
    // program: the page opens in the user's browser, here a script that notes its argument.
    void todayMarkOpensTheBrowserAsRoot()
    {
        if (::geteuid() != 0)
            QSKIP("the browser engine runs for other users");
        if (!QFile::exists(path(u"velaria_webwindow_plugin.so"_s)))
            QSKIP("this build has no web window");
        const QString browser = m_root->filePath(u"browser"_s);
        QVERIFY(writeBytes(browser, "#!/bin/sh\necho \"$@\" >> \"$0.log\"\n"));
        QVERIFY(QFile::setPermissions(browser, QFile::ReadOwner | QFile::ExeOwner));
        m_environment.insert(u"BROWSER"_s, browser);
        for (const char *name :
             {"DEFAULT_BROWSER", "QTWEBENGINE_DISABLE_SANDBOX", "QTWEBENGINE_CHROMIUM_FLAGS"})
            m_environment.remove(QLatin1String(name));
        QVERIFY(start());

        // The mark frames today's number, in today's month.
        QVERIFY(click(cell(QDate::currentDate()).topLeft() + QPoint(px(502), px(205))));
        const QByteArray page = "http://" VELARIA_MAKER_HOST "/oroscopo/\n";
        WAIT_UNTIL(readBytes(browser + u".log"_s) == page, readBytes(browser + u".log"_s));
        // The mark has the keyboard now, and Enter opens the page too.
        QVERIFY(press(m_main, u"key Return"_s));
        WAIT_UNTIL(readBytes(browser + u".log"_s) == page + page, readBytes(browser + u".log"_s));
        QVERIFY(m_program->state() == QProcess::Running);
        QCOMPARE(closeAndWait(), 0);
        QCOMPARE(leftOver(), QString());
    }
};

QTEST_MAIN(TestJourneys)
#include "tst_journeys.moc"
