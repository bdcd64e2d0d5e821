// The five choices of a tagging run, all on by default as in the window.
#pragma once

namespace kivra {

struct TagOptions {
    bool chkSubs = true;        // procedures of the Sub kind
    bool chkFunctions = true;   // procedures of the Function kind
    bool chkProperties = true;  // procedures of the Property kind
    bool chkFormEvents = true;  // event procedures: names with "_"
    bool chkParameters = true;  // pass the parameters in the Start call
};

}  // namespace kivra
