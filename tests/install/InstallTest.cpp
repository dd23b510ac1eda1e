#include "ProgramIcon.h"

#include <filesystem>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <QXmlStreamReader>

namespace {
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList entries(const QString& folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    names.sort();
    return names;
}

// The value of the first "Key=" line of a desktop entry.
QString desktopValue(const QString& entry, const QString& key)
{
    for (const QString& line : entry.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return {};
}
} // namespace

// A whole installation as a user or a package gets it, staged under a scratch DESTDIR.
class InstallTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_scratch;
    QString m_prefix; // the staged /usr
    QString m_appId;  // from the one installed desktop entry

    QString staged(const QString& relative) const { return m_prefix + QLatin1Char('/') + relative; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), m_scratch.filePath(QStringLiteral("stage")));
        const Run install = run(QStringLiteral(CMAKE_COMMAND_PATH),
                                {QStringLiteral("--install"), QStringLiteral(TESSALOOM_BUILD_DIR),
                                 QStringLiteral("--prefix"), QStringLiteral("/usr")},
                                environment);
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));
        m_prefix = m_scratch.filePath(QStringLiteral("stage/usr"));
        const QStringList desktopFiles = QDir(staged(QStringLiteral("share/applications")))
                                             .entryList({QStringLiteral("*.desktop")});
        QCOMPARE(desktopFiles.size(), 1);
        m_appId = desktopFiles.first().chopped(int(qstrlen(".desktop")));
    }

    void binHoldsOnlyRelativeLinksIntoTheProgramFolder()
    {
        const QString bin = staged(QStringLiteral("bin"));
        QCOMPARE(entries(bin), QStringList({"tessaloom", "tessaloom-import"}));
        for (const QString& name : entries(bin)) {
            const QFileInfo link(bin + QLatin1Char('/') + name);
            QVERIFY2(link.isSymLink(), qPrintable(name));
            // Relative, so the staged tree works wherever it is unpacked.
            const std::filesystem::path target =
                std::filesystem::read_symlink(std::filesystem::path(link.filePath().toStdString()));
            QVERIFY2(target.is_relative(), target.c_str());
            QCOMPARE(
                link.canonicalFilePath(),
                QFileInfo(staged(QStringLiteral("lib/tessaloom/") + name)).canonicalFilePath());
        }
    }

    void programFolderHoldsTheProgramsAndTheirFiles()
    {
        const QString folder = staged(QStringLiteral("lib/tessaloom"));
        QCOMPARE(entries(folder),
                 QStringList({"HAND-M.CUR", "drag.ico", "tessaloom", "tessaloom-import", "x"}));
        for (const QString& program :
             {QStringLiteral("tessaloom"), QStringLiteral("tessaloom-import")}) {
            const QFileInfo info(folder + QLatin1Char('/') + program);
            QVERIFY2(info.isFile() && !info.isSymLink() && info.isExecutable(),
                     qPrintable(program));
        }
        for (const QString& file :
             {QStringLiteral("HAND-M.CUR"), QStringLiteral("drag.ico"), QStringLiteral("x/o.cjs")})
            QVERIFY2(contents(folder + QLatin1Char('/') + file) ==
                         contents(QStringLiteral(TESSALOOM_SOURCE_DIR "/resources/") + file),
                     qPrintable(file));
        QCOMPARE(entries(folder + QStringLiteral("/x")), QStringList({"o.cjs"}));
    }

    void iconIsTheWindowIconAtEverySize()
    {
        const QString hicolor = staged(QStringLiteral("share/icons/hicolor"));
        const QIcon windowIcon = ProgramIcon();
        QStringList expected;
        for (const QSize& size : windowIcon.availableSizes())
            expected << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        expected.sort();
        QCOMPARE(entries(hicolor), expected);
        for (const QSize& size : windowIcon.availableSizes()) {
            const QString path =
                hicolor + QStringLiteral("/%1x%2/apps/").arg(size.width()).arg(size.height()) +
                m_appId + QStringLiteral(".png");
            const QImage installed(path);
            QVERIFY2(!installed.isNull(), qPrintable(path));
            const QImage drawn = windowIcon.pixmap(size, 1.0).toImage();
            QCOMPARE(installed.convertToFormat(QImage::Format_ARGB32),
                     drawn.convertToFormat(QImage::Format_ARGB32));
        }
    }

    void desktopEntryStartsTheInstalledProgramWithItsIcon()
    {
        const QString path =
            staged(QStringLiteral("share/applications/") + m_appId + QStringLiteral(".desktop"));
        const QString entry = QString::fromUtf8(contents(path));
        const QString program =
            desktopValue(entry, QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
        QVERIFY(!program.isEmpty());
        QVERIFY2(QFileInfo(staged(QStringLiteral("bin/")) + program).isExecutable(),
                 qPrintable(program));
        QCOMPARE(desktopValue(entry, QStringLiteral("Icon")), m_appId);
        const QString validator =
            QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (scripts/packages.sh installs it)");
        const Run check = run(validator, {path});
        QVERIFY2(check.exitCode == 0 && check.out.isEmpty(), qPrintable(check.out + check.err));
    }

    void metainfoDescribesThisEntryAndVersion()
    {
        const QString path =
            staged(QStringLiteral("share/metainfo/") + m_appId + QStringLiteral(".metainfo.xml"));
        QXmlStreamReader xml(contents(path));
        QString id, launchable, release;
        int screenshots = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("id"))
                id = xml.readElementText();
            else if (xml.name() == QLatin1String("launchable"))
                launchable = xml.readElementText();
            else if (xml.name() == QLatin1String("release") && release.isEmpty())
                release = xml.attributes().value(QLatin1String("version")).toString();
            else if (xml.name() == QLatin1String("screenshot"))
                ++screenshots;
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(id, m_appId);
        QCOMPARE(launchable, m_appId + QStringLiteral(".desktop"));
        QCOMPARE(release, QStringLiteral(TESSALOOM_VERSION));
        QCOMPARE(screenshots, 2);
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        if (validator.isEmpty())
            QSKIP("appstreamcli is not installed (scripts/packages.sh installs it)");
        // No network here: the addresses are checked for form, not fetched.
        const Run check = run(validator, {QStringLiteral("validate"), QStringLiteral("--pedantic"),
                                          QStringLiteral("--no-net"), path});
        QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
    }

    void manPagesRenderCleanlyAndNameEveryOption()
    {
        const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
        // The runner's own usage text is the list the page has to keep up with.
        const Run help =
            run(staged(QStringLiteral("bin/tessaloom-import")), {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QStringList runnerOptions;
        const QRegularExpression optionLine(QStringLiteral("^\\s+(--[a-z][a-z-]*)"),
                                            QRegularExpression::MultilineOption);
        for (auto it = optionLine.globalMatch(help.out); it.hasNext();)
            runnerOptions << it.next().captured(1);
        QVERIFY(runnerOptions.contains(QStringLiteral("--server")));
        runnerOptions << QStringLiteral("--version");

        const QList<std::pair<QString, QStringList>> pages = {
            {QStringLiteral("tessaloom"), {QStringLiteral("--version")}},
            {QStringLiteral("tessaloom-import"), runnerOptions}};
        for (const auto& [page, options] : pages) {
            const QString path =
                staged(QStringLiteral("share/man/man1/") + page + QStringLiteral(".1.gz"));
            QVERIFY2(QFileInfo(path).size() > 0, qPrintable(path));
            if (man.isEmpty())
                QSKIP("man is not installed");
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("100"));
            // Unhyphenated, so every option shows whole.
            const Run shown = run(man,
                                  {QStringLiteral("--warnings"), QStringLiteral("--nh"),
                                   QStringLiteral("--nj"), QStringLiteral("-l"), path},
                                  environment);
            QVERIFY2(shown.exitCode == 0 && shown.err.isEmpty(), qPrintable(page + shown.err));
            for (const QString& option : options)
                QVERIFY2(shown.out.contains(option), qPrintable(page + QLatin1Char(' ') + option));
        }
    }

    void bothProgramsTellTheirVersionWithoutADisplay()
    {
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"),
                                    QStringLiteral("WAYLAND_DISPLAY")})
            bare.remove(name);
        for (const QString& program :
             {QStringLiteral("tessaloom"), QStringLiteral("tessaloom-import")}) {
            const Run version =
                run(staged(QStringLiteral("bin/")) + program, {QStringLiteral("--version")}, bare);
            QCOMPARE(version.exitCode, 0);
            QCOMPARE(version.out, program + QStringLiteral(" " TESSALOOM_VERSION "\n"));
        }
    }

    void installedWindowFindsItsFilesThroughTheLink()
    {
        const QString home = m_scratch.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/config/Varnholt")));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/temp")));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/runtime")));
        QFile::setPermissions(home + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // An embedded database opens at once, so the start goes on to the main window.
        QFile settings(home + QStringLiteral("/config/Varnholt/Varnholt.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Tessaloom]\nServer=file:" + QFile::encodeName(home) + "/t.db\n");
        settings.close();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        environment.insert(QStringLiteral("TEMP"), home + QStringLiteral("/temp"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("tessaloom.programfiles.info=true"));

        const QString folder =
            QFileInfo(staged(QStringLiteral("lib/tessaloom"))).canonicalFilePath();
        const QStringList wanted = {
            QStringLiteral("program folder ") + folder,
            folder + QStringLiteral("/HAND-M.CUR found"),
            folder + QStringLiteral("/drag.ico found"),
            folder + QStringLiteral("/x/o.cjs found"),
            QStringLiteral("skin applied from ") + folder + QStringLiteral("/x/o.cjs"),
            // Once for each window: the main window was reached.
            QStringLiteral("hand pointer loaded from ") + folder + QStringLiteral("/HAND-M.CUR"),
            QStringLiteral("hand pointer loaded from ") + folder + QStringLiteral("/HAND-M.CUR"),
        };

        QProcess window;
        window.setProcessEnvironment(environment);
        window.start(staged(QStringLiteral("bin/tessaloom")), {});
        QVERIFY(window.waitForStarted());
        QStringList missing = wanted;
        QString log;
        // The window runs until it is closed, so it is stopped once everything has been seen.
        const QDeadlineTimer patience(120000);
        while (!missing.isEmpty() && window.state() == QProcess::Running &&
               !patience.hasExpired()) {
            window.waitForReadyRead(1000);
            log += QString::fromUtf8(window.readAllStandardError());
            const QString prefix = QStringLiteral("tessaloom.programfiles: ");
            missing = wanted;
            for (const QString& line : log.split(QLatin1Char('\n')))
                if (line.startsWith(prefix))
                    missing.removeOne(line.mid(prefix.size()));
        }
        const bool stillRunning = window.state() == QProcess::Running;
        window.terminate();
        if (!window.waitForFinished(30000))
            window.kill();
        QVERIFY2(stillRunning, qPrintable(QStringLiteral("ended early:\n") + log));
        QVERIFY2(missing.isEmpty(),
                 qPrintable(missing.join(QLatin1Char('\n')) + QStringLiteral("\nnot in:\n") + log));
    }
};

QTEST_MAIN(InstallTest)
#include "InstallTest.moc"
