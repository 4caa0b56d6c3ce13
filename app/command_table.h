#pragma once

class CMainFrame;
class CVarkelModel2cView;

// Where a command goes: to the handler of the active chart view when there is
// one, otherwise to the main frame's. A command with neither is disabled.
struct CommandRoute {
    int id;
    void (CVarkelModel2cView::*onView)();
    void (CMainFrame::*onFrame)(int id);
};

// The route of a command id, or null for an id the workstation does not know.
const CommandRoute* findCommandRoute(int id);
