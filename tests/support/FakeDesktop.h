// Stand-ins for the desktop in window tests: answers given in advance,
// calls recorded, nothing modal.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <optional>
#include <vector>

#include "DesktopSeams.h"
#include "WindowServices.h"

namespace kivra::test {

class FakeFileChooser : public FileChooser {
public:
    std::optional<QString> ChooseFileToOpen(QWidget*, const QString& initialPath, const QString& filter,
                                            const QString& defaultSuffix, const QString& title = {}) override {
        asked.push_back({initialPath, filter, defaultSuffix, title});
        return Next();
    }
    QStringList ChooseFilesToOpen(QWidget*, const QString& initialPath, const QString& filter,
                                  const QString& title) override {
        asked.push_back({initialPath, filter, {}, title});
        QStringList answer;
        if (!fileLists.empty()) {
            answer = fileLists.front();
            fileLists.pop_front();
        } else if (const std::optional<QString> one = Next()) {
            answer.push_back(*one);  // one file, from the answers of the one-file question
        }
        return answer;
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString& initialFolder) override {
        asked.push_back({initialFolder, {}, {}, {}});
        return Next();
    }
    std::optional<QString> ChooseFileToSave(QWidget*, const QString& initialPath, const QString& filter,
                                            const QString& title) override {
        asked.push_back({initialPath, filter, {}, title});
        return Next();
    }
    struct Question {
        QString initial, filter, suffix, title;
    };
    std::vector<Question> asked;
    std::deque<std::optional<QString>> answers;  // nothing: the user cancels
    std::deque<QStringList> fileLists;           // for ChooseFilesToOpen; empty: the user cancels

private:
    std::optional<QString> Next() {
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer.swap(answers.front());
            answers.pop_front();
        }
        return answer;
    }
};

class FakeOpener : public DesktopOpener {
public:
    bool Open(const QString& fileOrUrl) override {
        opened.push_back(fileOrUrl);
        return true;
    }
    QStringList opened;
};

class FakeProcessStarter : public ProcessStarter {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override {
        started.push_back(program);
        lastArguments = arguments;
        return succeed;
    }
    QStringList started;
    QStringList lastArguments;
    bool succeed = true;
};

// Every seam of a window faked at once.
struct FakeDesktop {
    RecordingReporter reporter;
    FakeFileChooser files;
    FakeOpener opener;
    FakeProcessStarter processes;
    std::filesystem::path programFolder;  // empty: the test program's folder

    WindowSeams Seams() {
        WindowSeams seams;
        seams.reporter = &reporter;
        seams.files = &files;
        seams.opener = &opener;
        seams.processes = &processes;
        seams.programFolder = programFolder;
        return seams;
    }
};

}  // namespace kivra::test
