#include "window/Menu.h"

boost::shared_ptr<CMenu> CMenu::FromResource(int menuId)
{
    boost::shared_ptr<CMenu> menu(new CMenu);
    menu->m_hMenu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
    return menu;
}

boost::shared_ptr<CMenu> CMenu::SubMenu(int position) const
{
    boost::shared_ptr<CMenu> menu(new CMenu);
    menu->m_hMenu = GetSubMenu(m_hMenu, position);
    return menu;
}
