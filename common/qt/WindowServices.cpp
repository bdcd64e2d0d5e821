#include "WindowServices.h"

#include "ProgramFolder.h"
#include "QtMessageReporter.h"

// Resources of a static library must be registered by name.
static void InitCommonResources() { Q_INIT_RESOURCE(common); }

namespace kivra {
namespace {

template <typename Interface, typename Real>
Interface* OwnOrGiven(Interface* given, std::unique_ptr<Interface>& own) {
    if (given != nullptr) return given;
    own = std::make_unique<Real>();
    return own.get();
}

}  // namespace

WindowServices::WindowServices(const QString& programTitle, QWidget* owner, const WindowSeams& seams)
    : reporter_(seams.reporter),
      files_(OwnOrGiven<FileChooser, QtFileChooser>(seams.files, ownFiles_)),
      opener_(OwnOrGiven<DesktopOpener, QtDesktopOpener>(seams.opener, ownOpener_)),
      processes_(OwnOrGiven<ProcessStarter, QtProcessStarter>(seams.processes, ownProcesses_)),
      pump_(seams.clock),
      programFolder_(seams.programFolder.empty() ? kivra::ProgramFolder() : seams.programFolder) {
    InitCommonResources();
    if (reporter_ == nullptr) {
        ownReporter_ = std::make_unique<QtMessageReporter>(programTitle, owner);
        reporter_ = ownReporter_.get();
    }
    config_ = std::make_unique<ConfigClass>(*reporter_);
}

WindowServices::~WindowServices() = default;

}  // namespace kivra
