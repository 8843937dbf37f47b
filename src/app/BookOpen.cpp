#include "app/BookOpen.h"

#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <QDir>

std::string bookFolderText(std::string folder) {
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
    return folder;
}

BookDescription readBookDescription(const std::string& ebookIni) {
    const TIniFile ini(ebookIni);
    BookDescription d;
    d.Title = ini.ReadString("Description", "Title", w1251("Электронная книга"));
    d.RegKey = ini.ReadString("Description", "RegKey", "");
    if (d.RegKey.size() > 255) d.RegKey.resize(255);
    d.Pelvar = readDecimal(ini.ReadString("Description", "Pelvar", "0")) != 0;
    return d;
}

std::string bookKeyPath(const std::string& regKey) {
    return "SOFTWARE\\talmaran\\" + regKey;
}

BookPathsStatus readBookPaths(const std::string& regKey, BookPaths& paths) {
    TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKeyReadOnly(bookKeyPath(regKey))) return BookPathsStatus::KeyMissing;
    paths.BasePath = reg.ReadString("BasePath");
    paths.IndexFile = reg.ReadString("IndexFile");
    paths.PagesPath = reg.ReadString("PagesPath");
    paths.UserPath = reg.ReadString("UserPath");
    reg.CloseKey();
    if (paths.BasePath.empty() || paths.PagesPath.empty() || paths.IndexFile.empty() ||
        paths.UserPath.empty())
        return BookPathsStatus::PathEmpty;
    return BookPathsStatus::Ok;
}

std::string enterBookSubfolder() {
    QDir::setCurrent(QStringLiteral("book")); // stays where it is when there is no such folder
    return readerPath(QDir::currentPath().toStdString());
}

std::string settleSchemeFolder(const std::string& commandLine1251) {
    if (commandLine1251.empty()) return enterBookSubfolder() + "\\schema";
    return commandLine1251.substr(0, 255);
}
