// The six pull-down menus of the main panel, built anew from the menu table at every drop-down:
// texts from section "PullDownMenu", graying and check marks from the command rules.
#pragma once

#include "app/CommandState.h"

#include <QMenu>

#include <memory>

namespace trevix {

// Every item action carries its command identifier as data and its language key as object
// name; submenus carry their key as object name too.
std::unique_ptr<QMenu> BuildPanelMenu(cmd::PanelMenu menu, const CommandContext& context,
                                      QWidget* owner);

// The command identifier of a chosen action; 0 for none.
int CommandOfAction(const QAction* action);

} // namespace trevix
