// The design host program: loads a component package, runs one of its
// registration entries and prints what it did.
//
//   corvane-design-host <package library> <registration entry> <output folder>
//
// It lists the palette (pages, classes in order, the size of each class's
// palette bitmap, saved as <class>.png), the components registered without
// an icon and the property categories, then puts one component of every palette class on a form in
// design state, writes the form to form1.txt, reads that back and writes it
// again to form2.txt. It ends with 0 when the two texts are the same.

#include "designide/DesignHost.h"
#include "vcl/core/UnitRegistry.h"

#include <QApplication>
#include <QDir>

#include <fstream>
#include <iostream>

namespace {

bool Save(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

int Run(const std::string& package, const std::string& entry, const std::string& outputDir)
{
    designide::TDesignHost host;
    std::string error;
    if (!host.LoadPackage(package, entry, error)) {
        std::cerr << "cannot load " << package << ": " << error << "\n";
        return 2;
    }
    std::cout << "package " << package << " entry " << entry << "\n";
    for (const std::string& page : host.Pages()) {
        std::cout << "page " << page << "\n";
        for (vcl::TClass cls : host.PageClasses(page)) {
            const QImage bitmap = host.PaletteBitmap(cls);
            std::cout << "  " << cls->Name << " " << bitmap.width() << "x" << bitmap.height() << "\n";
            bitmap.save(QDir(QString::fromStdString(outputDir)).filePath(QString(cls->Name) + ".png"));
        }
    }
    for (vcl::TClass cls : designide::NoIconClasses())
        std::cout << "no icon " << cls->Name << "\n";
    for (const designide::TCategoryRow& row : designide::CategoryRows())
        std::cout << "category '" << row.Category << "'" << (row.CategoryClass.empty() ? "" : " as ")
                  << row.CategoryClass << " " << (row.ComponentClass ? row.ComponentClass->Name : "any")
                  << " " << row.Names.size() << "\n";
    for (const std::string& page : host.Pages())
        for (vcl::TClass cls : host.PageClasses(page))
            std::cout << "made " << host.AddComponent(cls)->Name() << "\n";
    const std::string first = host.WriteForm();
    host.ReadForm(first);
    const std::string second = host.WriteForm();
    if (!Save(outputDir + "/form1.txt", first) || !Save(outputDir + "/form2.txt", second)) {
        std::cerr << "cannot write into " << outputDir << "\n";
        return 2;
    }
    std::cout << "form written, read and written again: " << (first == second ? "same" : "different") << "\n";
    return first == second ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: corvane-design-host <package library> <registration entry> <output folder>\n";
        return 2;
    }
    QApplication application(argc, argv);
    int result = 2;
    try {
        result = Run(argv[1], argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::cerr << "failed: " << e.what() << "\n";
    }
    vcl::FinalizeUnits();
    return result;
}
