#pragma once
// Text values of DXF files. Files of release 2007 and later hold UTF-8; older ones hold the
// 8-bit code page named by $DWGCODEPAGE (a Turkish drawing: "ANSI_1254"), with characters outside
// it written as "\U+XXXX". MTEXT adds its formatting codes; TEXT has the %% control codes.
#include <memory>
#include <string>
#include <string_view>

class QStringDecoder;

namespace vsx {

class DxfTextDecoder {
public:
    enum class Kind { Utf8, Cp1254, Other, Guess };

    // The file's encoding from its header ($ACADVER and $DWGCODEPAGE). Without a declaration,
    // each text is taken as UTF-8 when it is valid UTF-8, else as Windows-1254.
    static DxfTextDecoder forHeader(std::string_view acadver, std::string_view codepage);
    explicit DxfTextDecoder(Kind kind = Kind::Guess);
    DxfTextDecoder(DxfTextDecoder&&) noexcept;
    DxfTextDecoder& operator=(DxfTextDecoder&&) noexcept;
    ~DxfTextDecoder();

    // A value's bytes as UTF-8.
    std::string decode(std::string_view bytes) const;
    Kind kind() const { return kind_; }

private:
    Kind kind_;
    std::unique_ptr<QStringDecoder> other_;
};

bool isValidUtf8(std::string_view bytes);

// The plain text of an MTEXT value: formatting codes with an argument (\A \C \c \F \f \H \Q \T
// \W \p, up to their ';') and without one (\L \l \O \o \K \k \X) are dropped; \P (paragraph),
// \N (column), \~ and the caret codes ^I ^J ^M become a blank; \S stacks become "a/b"; \\, \{ and \} give the
// character itself; grouping braces go; \U+XXXX becomes its character; %%d, %%p, %%c give the
// degree, plus-minus and diameter signs.
std::string StripMtextCodes(std::string_view text);

// A TEXT value: "\U+XXXX" escapes and the control codes %%d, %%p, %%c (degree, plus-minus,
// diameter), %%% (percent); the underline and overline toggles %%u and %%o are dropped.
std::string DecodeDxfTextCodes(std::string_view text);

}  // namespace vsx
