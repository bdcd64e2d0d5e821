// Renders the windows of both programs into PNG files, headless, with the
// bundled example trace loaded and a settings file of their own:
//   kivra_screenshots EXAMPLES_FOLDER OUTPUT_FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "AboutDialog.h"
#include "BasicModules.h"
#include "ComparePage.h"
#include "FeedbackDialog.h"
#include "FindBar.h"
#include "Main.h"
#include "MessageReporter.h"
#include "ProceduresModel.h"
#include "TraceViews.h"
#include "frmConfig.h"
#include "frmMain.h"

namespace {

bool Save(QWidget& widget, const QString& file) {
    const bool saved = widget.grab().save(file);
    std::cout << (saved ? "wrote " : "could not write ") << file.toStdString() << '\n';
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: kivra_screenshots EXAMPLES_FOLDER OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir examples(QString::fromLocal8Bit(argv[1]));
    const QDir output(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir profile;
    qputenv("USERPROFILE", profile.path().toLocal8Bit());

    kivra::StreamReporter reporter(std::cerr, "kivra_screenshots");
    kivra::WindowSeams seams;
    seams.reporter = &reporter;
    bool ok = true;

    kivra::frmMain analyzer(seams, {examples.filePath(QStringLiteral("sample.pad"))});
    QApplication::processEvents();
    ok = Save(analyzer, output.filePath(QStringLiteral("analyzer.png"))) && ok;

    // The Procedures view, then the find bar at work in the call tree.
    analyzer.Views().Tabs().setCurrentIndex(1);
    QApplication::processEvents();
    ok = Save(analyzer, output.filePath(QStringLiteral("procedures.png"))) && ok;
    analyzer.Views().Tabs().setCurrentIndex(0);
    analyzer.Views().OpenFind();
    analyzer.findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("FormatRow"));
    analyzer.Views().Step(true);
    QApplication::processEvents();
    ok = Save(analyzer, output.filePath(QStringLiteral("find.png"))) && ok;
    analyzer.findChild<QToolButton*>(QStringLiteral("cmdFindClose"))->click();

    // The flame graph in both modes, one above the other.
    analyzer.Views().Tabs().setCurrentIndex(2);
    QApplication::processEvents();
    const QImage timeOrder = analyzer.grab().toImage();
    analyzer.findChild<QRadioButton*>(QStringLiteral("optMerged"))->setChecked(true);
    QApplication::processEvents();
    const QImage merged = analyzer.grab().toImage();
    QImage both(timeOrder.width(), timeOrder.height() + merged.height(), QImage::Format_ARGB32);
    both.fill(Qt::white);
    {
        QPainter painter(&both);
        painter.drawImage(0, 0, timeOrder);
        painter.drawImage(0, timeOrder.height(), merged);
    }
    const QString flame = output.filePath(QStringLiteral("flamegraph.png"));
    const bool flameSaved = both.save(flame);
    std::cout << (flameSaved ? "wrote " : "could not write ") << flame.toStdString() << '\n';
    ok = flameSaved && ok;
    analyzer.findChild<QRadioButton*>(QStringLiteral("optTimeOrder"))->setChecked(true);

    // The search click's stretch of the run chosen: every view counts it alone.
    analyzer.Views().SetRange(kivra::TimeRange{1560.0, 1720.0});
    QApplication::processEvents();
    ok = Save(analyzer, output.filePath(QStringLiteral("range.png"))) && ok;
    analyzer.Views().SetRange(std::nullopt);

    // Callers and callees of cmdSearch_Click, chosen as Ctrl+K chooses it.
    const kivra::ProcedureTable& procedures = analyzer.Views().Procedures().Table();
    for (std::size_t p = 0; p < procedures.ProcedureCount(); ++p) {
        if (procedures.Procedure(p).Name == "cmdSearch_Click") {
            analyzer.Views().Context().ChooseProcedure(p, QStringLiteral("tabCallers"));
        }
    }
    QApplication::processEvents();
    ok = Save(analyzer, output.filePath(QStringLiteral("callers.png"))) && ok;

    // sample.pad (loaded) as the baseline, sample-faster.pad as the current run.
    analyzer.Views().Tabs().setCurrentIndex(4);
    analyzer.Views().LoadBaseline(examples.filePath(QStringLiteral("sample-faster.pad")));
    analyzer.Views().SwapRuns();
    QApplication::processEvents();
    ok = Save(analyzer, output.filePath(QStringLiteral("compare.png"))) && ok;
    analyzer.Views().Tabs().setCurrentIndex(0);

    // Eight runs before a change against eight after it: one loaded, seven added.
    {
        const QDir runs(examples.filePath(QStringLiteral("runs")));
        auto traces = [&](const QString& side) {
            QStringList files;
            for (const QFileInfo& file :
                 QDir(runs.filePath(side)).entryInfoList({QStringLiteral("*.pad")}, QDir::Files, QDir::Name))
                files.push_back(file.filePath());
            return files;
        };
        const QStringList after = traces(QStringLiteral("after"));
        kivra::frmMain repeated(seams, {after.value(0)});
        // Wide enough for the interval, p and the verdict.
        repeated.resize(std::max(analyzer.width(), 1400), analyzer.height());
        repeated.show();
        auto& compare = repeated.Views().Page<kivra::ComparePage>();
        repeated.Views().Tabs().setCurrentIndex(4);
        compare.LoadBaselineRuns(traces(QStringLiteral("before")));
        compare.AddCurrentRuns(after.mid(1));
        QApplication::processEvents();
        ok = Save(repeated, output.filePath(QStringLiteral("compare-runs.png"))) && ok;
    }

    kivra::WindowServices services(QStringLiteral("Kivra Analyzer"), &analyzer, seams);
    kivra::frmConfig configuration(services, &analyzer);
    configuration.show();
    QApplication::processEvents();
    ok = Save(configuration, output.filePath(QStringLiteral("configuration.png"))) && ok;

    kivra::Main tagger(seams);
    tagger.findChild<QPlainTextEdit*>(QStringLiteral("txtCode"))
        ->setPlainText(QString::fromStdString(kivra::test::OrdersForm()));
    tagger.cmdTag_Click();
    QApplication::processEvents();
    ok = Save(tagger, output.filePath(QStringLiteral("tagger.png"))) && ok;

    kivra::AboutDialog analyzerAbout(services, kivra::AboutVariant::Analyzer, &analyzer);
    analyzerAbout.show();
    QApplication::processEvents();
    ok = Save(analyzerAbout, output.filePath(QStringLiteral("about-analyzer.png"))) && ok;

    kivra::WindowServices taggerServices(QStringLiteral("Kivra Tag"), &tagger, seams);
    kivra::AboutDialog taggerAbout(taggerServices, kivra::AboutVariant::Tagger, &tagger);
    taggerAbout.show();
    QApplication::processEvents();
    ok = Save(taggerAbout, output.filePath(QStringLiteral("about-tagger.png"))) && ok;

    kivra::frmFeedback feedback(services, &analyzerAbout);
    feedback.findChild<QComboBox*>(QStringLiteral("cboType"))->setCurrentIndex(1);
    feedback.findChild<QLineEdit*>(QStringLiteral("txtSubject"))->setText(QStringLiteral("Bars missing after reload"));
    feedback.show();
    QApplication::processEvents();
    ok = Save(feedback, output.filePath(QStringLiteral("feedback.png"))) && ok;
    return ok ? 0 : 1;
}
