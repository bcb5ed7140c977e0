// Brevane - the program-wide flag set while lists, grids and charts are refilled.
//
// While it is set, change handlers of those controls (a bank scroll bar, a grid cell)
// do nothing, so reprogramming a control does not run its handler again.
#pragma once

namespace shell {

inline bool Updating = false;

// Sets Updating for the length of a scope and puts back what it was.
class UpdatingScope {
public:
    UpdatingScope() : m_previous(Updating) { Updating = true; }
    ~UpdatingScope() { Updating = m_previous; }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

private:
    bool m_previous;
};

}  // namespace shell
