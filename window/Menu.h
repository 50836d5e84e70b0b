#pragma once

#include <windows.h>

#include <boost/shared_ptr.hpp>

// Holds a menu handle without owning it: a loaded menu lives as long as the
// process, and a sub-menu belongs to its parent menu.
class CMenu {
public:
    CMenu() : m_hMenu(nullptr) {}

    static boost::shared_ptr<CMenu> FromResource(int menuId);
    boost::shared_ptr<CMenu> SubMenu(int position) const;

    HMENU m_hMenu;
};
