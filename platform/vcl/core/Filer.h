#pragma once
// The form filers: TReader makes a component tree from a text form, TWriter
// writes one. Both are what DefineProperties sees (TFiler), and both offer
// the value calls with which a class reads and writes a property of its own
// format:
//
//     void TKwFoo::DefineProperties(vcl::TFiler* filer)
//     {
//         TPersistent::DefineProperties(filer);
//         filer->DefineBinaryProperty("Pidl", {this, &TKwFoo::ReadData}, {this, &TKwFoo::WriteData},
//                                     IdList_ != nullptr);
//     }
//
// Reading a form (ReadComponentFromText):
//   1. the text is parsed whole (syntax errors touch nothing);
//   2. the nested objects are made, named, given their parents and their
//      properties, in file order; references to components not yet made are
//      noted;
//   3. the root's own properties are checked and converted (its
//      collections read into stand-ins), the noted references are fixed up,
//      and only then is the root changed: compound values, simple ones, the
//      name; a failure there takes back what was changed;
//   4. the reading states end and Loaded runs for the root, then for every
//      component made, in the order they were made.
// Any failure raises EReadError "Line <n>: ..."; every component made so far
// is freed, and an existing root keeps its properties.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/core/FormText.h"
#include "vcl/core/TypInfo.h"
#include "win32/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vcl {

class TReader;
class TWriter;
class TStream;

using TReaderProc = TEvent<void(TReader* reader)>;
using TWriterProc = TEvent<void(TWriter* writer)>;
using TStreamProc = TEvent<void(TStream* stream)>;

class CORVANE_VCL_EXPORT TFiler : public TObject {
    VCL_DECLARE_CLASS(TFiler, TObject)
public:
    // A property in a format of the class's own, read and written with the
    // value calls; hasData false leaves it out of the file.
    virtual void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                                bool hasData) = 0;
    // A property kept as binary data.
    virtual void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                                      bool hasData) = 0;
    // The component whose form is being read or written.
    TComponent* Root() const { return Root_; }

protected:
    TComponent* Root_ = nullptr;
};

class CORVANE_VCL_EXPORT TReader : public TFiler {
    VCL_DECLARE_CLASS(TReader, TFiler)
public:
    TReader();
    ~TReader() override;
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    // Reads tree into root; with root null, makes the root from the class
    // the tree names (registered) with owner. Returns the root.
    TComponent* ReadRootComponent(const TFormObject& tree, TComponent* root, TComponent* owner = nullptr);

    void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                              bool hasData) override;

    // The value calls, inside a defined property's read procedure. Each
    // raises EReadError naming the line when the next value is of another
    // kind or there is none.
    TFormValueKind NextValue() const;
    bool EndOfList() const;
    void ReadListBegin();
    void ReadListEnd();
    std::int64_t ReadInt64();
    int ReadInteger();
    double ReadFloat();
    std::string ReadString();
    std::string ReadIdent();
    bool ReadBoolean();
    char ReadChar();

private:
    struct Impl;
    std::unique_ptr<Impl> Impl_;
};

class CORVANE_VCL_EXPORT TWriter : public TFiler {
    VCL_DECLARE_CLASS(TWriter, TFiler)
public:
    TWriter();
    ~TWriter() override;
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    // The tree of root and everything its GetChildren gives, leaving out
    // properties at their defaults and unstored ones.
    TFormObject WriteRootComponent(TComponent* root);

    void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                              bool hasData) override;

    // The one value writeData writes for the defined property name, as
    // DefineProperty would store it; raises EWriteError when it writes none
    // or several, or leaves a list open.
    TFormValue WriteDefinedValue(const std::string& name, TWriterProc writeData);

    // The value calls, inside a defined property's write procedure. A
    // defined property writes exactly one value (a list counts as one).
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(std::int64_t value);
    void WriteFloat(double value);
    void WriteString(const std::string& value);
    void WriteIdent(const std::string& ident);
    void WriteBoolean(bool value);
    void WriteChar(char value);

private:
    void WriteChild(TComponent* child);
    struct Impl;
    std::unique_ptr<Impl> Impl_;
};

// Reads a text form into root (see above); root null makes the root.
CORVANE_VCL_EXPORT TComponent* ReadComponentFromText(std::string_view text, TComponent* root,
                                                     TComponent* owner = nullptr);
// Reads the whole stream from its position as a text form.
CORVANE_VCL_EXPORT TComponent* ReadComponentFromStream(TStream& stream, TComponent* root,
                                                       TComponent* owner = nullptr);
// Reads the form resource (RT_RCDATA, a text form) named resName of
// instance into root, as a form loads its stored resource; false, with root
// untouched, when there is no such resource.
CORVANE_VCL_EXPORT bool ReadComponentRes(HINSTANCE instance, std::string_view resName, TComponent* root);
CORVANE_VCL_EXPORT std::string WriteComponentToText(TComponent* root);
CORVANE_VCL_EXPORT void WriteComponentToStream(TStream& stream, TComponent* root);

} // namespace vcl
