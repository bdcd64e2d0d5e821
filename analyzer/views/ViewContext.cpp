#include "ViewContext.h"

namespace kivra {

void ViewContext::ChooseCall(std::optional<std::size_t> row) {
    if (row == call_) return;
    call_ = row;
    emit CallChosen(row);
}

void ViewContext::ChooseProcedure(std::size_t procedure, const QString& view) {
    if (procedure_ != procedure) {
        // A new choice drops whatever lay ahead, as a browser's history does.
        if (!history_.empty()) history_.resize(place_ + 1);
        history_.push_back(procedure);
        place_ = history_.size() - 1;
        procedure_ = procedure;
    }
    // Chosen again, it is shown again: a view may have moved on meanwhile.
    emit ProcedureChosen(procedure);
    if (!view.isEmpty()) emit ViewRequested(view);
}

bool ViewContext::Back() {
    if (!CanGoBack()) return false;
    procedure_ = history_[--place_];
    emit ProcedureChosen(*procedure_);
    return true;
}

bool ViewContext::Forward() {
    if (!CanGoForward()) return false;
    procedure_ = history_[++place_];
    emit ProcedureChosen(*procedure_);
    return true;
}

void ViewContext::Reset() {
    call_.reset();
    procedure_.reset();
    history_.clear();
    place_ = 0;
}

}  // namespace kivra
