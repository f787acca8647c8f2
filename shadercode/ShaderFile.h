// Compiled shaders as files: the compiler writes them, the renderer reads
// them. The format is text, one item a line, so that a file reads by eye and
// two compilations diff line by line:
//
//     quelmark shader 1
//     surface plastic
//     source "plastic.sl"
//     register parameter uniform float 0 Ka 1
//     register parameter uniform color 0 specularcolor 1 1 1
//     register global varying point 0 P
//     register local varying float 0 -
//     register constant uniform string 0 - "hello\n"
//     register parameter uniform float 3 weights 0.5 0.25 0.25
//     code
//     12 add 3 1 2
//     13 call normalize 5 4
//     14 if 7
//     15 endif
//     end
//
// Grammar (fields are separated by spaces or tabs; every line, the last
// too, ends with a newline; a carriage return before it is ignored; there
// are no blank lines and no comments):
//
//   file        = "quelmark shader 1" NL  kind name NL  "source" string NL
//                 { register NL }  "code" NL  { instruction NL }  "end" NL
//   kind        = surface | light | displacement | volume | imager
//   register    = "register" storage detail type length name { value }
//   storage     = parameter | output | global | local | constant
//                 (output: an output parameter)
//   detail      = uniform | varying
//   type        = float | string | color | point | vector | normal | matrix
//   length      = the array length, 0 for a single value
//   name        = word of letters, digits and '_' | string | "-" for none
//   value       = a float for the numeric types, a string for a string:
//                 parameters (of both storages) and constants carry
//                 max(length, 1) x (1, 3 or 16; 1 for a string) values,
//                 globals and locals none
//   instruction = source-line opcode [builtin] { operand }
//   opcode      = move negate add subtract multiply divide dot cross less
//                 lessequal greater greaterequal equal notequal and or not
//                 triple matrix loadelement storeelement fromspace call if
//                 else endif loop looptest break continue endloop
//                 illuminance illuminate solar endlightloop return
//   builtin     = the standard library's name of the operation, after call
//   operand     = a register's number, or -1 where it is not given
//   string      = '"' characters '"', with the escapes \" \\ \n \t \r and
//                 three octal digits (\033) for any other byte below 32
//                 and 127; other bytes stand for themselves
//
// Registers are numbered from 0 in the order of their lines. Floats are
// written in the shortest form that reads back to the same bits ("0.1",
// "-0", "3.4028235e+38"). A shader the reader gave, written and read again,
// comes back equal, and its text the same.
//
// The reader checks everything the renderer relies on, so that the code can
// be run without checks of its own; the first fault ends the reading:
//  - counts are bounded: kMaxRegisters registers, kMaxInstructions
//    instructions, arrays of kMaxArrayLength, strings and names of
//    kMaxStringBytes, files of kMaxFileBytes; the memory a text takes is a
//    small multiple of its size;
//  - the shader has a name; parameters' and globals' names are given and
//    differ within their kinds;
//  - values: as many as the type and array length need; floats finite;
//  - operands: each opcode's count (below); every operand a register in
//    range, or -1 where the layout allows it; a result is no constant, and
//    a uniform result of an operation other than call takes only uniform
//    operands;
//  - operand types ("scalar" is not an array; a "number" is a float, a
//    triple or a matrix; "widens" means a float or a value as wide as the
//    result):
//      move a b         a, b of the same kind (strings, or numbers where b
//                       widens); arrays only to arrays of the same type
//                       and length
//      negate a b, not a b                      a scalar number, b widens
//                                               (not: both floats)
//      add subtract multiply divide a b c       a scalar number, b c widen
//      dot a b c        a float, b c triples;   cross a b c: all triples
//      less lessequal greater greaterequal a b c, and or a b c: all floats
//      equal notequal a b c  a float; b c both strings or numbers where
//                       one is a float or both are as wide
//      triple a b c d   a triple, b c d floats (4 operands)
//      matrix a b..q    a matrix, 16 floats     (17 operands)
//      loadelement a b c    a = b[c]: b an array, a scalar of its width,
//                           c a float
//      storeelement a b c   a[b] = c: a an array, b a float, c scalar of
//                           a's width
//      fromspace a b c  a a scalar triple or matrix, b widens, c a string
//      call name a args...  a the result or -1; the arguments registers
//                           (at least the result is given; the arguments
//                           are the standard library's to check)
//      if a, looptest a     a a float (1 operand)
//      illuminance cat pos axis angle   cat a string or -1, pos a triple,
//                           axis a triple and angle a float, or both -1
//      illuminate pos axis angle        the same without the category
//      solar axis angle                 the same without the position
//      break n, continue n  n a literal count of loops (not a register),
//                           1 or more
//      else endif loop endloop endlightloop return   no operands
//  - blocks: if [else] endif, loop endloop and the light loops with
//    endlightloop nest properly and are closed by the end; else follows
//    its if directly (not inside a block within it), once; looptest stands
//    directly in its loop; break and continue leave no more loops than
//    enclose them, and never leave a light loop; light loops do not nest;
//    illuminate and solar are in light shaders only.
#ifndef QEL_SHADERCODE_SHADERFILE_H
#define QEL_SHADERCODE_SHADERFILE_H

#include "shadercode/ShaderCode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quelmark::sl {

// The text of the shader. Writes whatever the code holds, but for values of
// globals and locals and the builtin of an instruction other than a call;
// a shader that the reader would refuse gives a text that it refuses.
std::string writeShader(const ShaderCode& code);

// Writes the text to a temporary file beside the path and renames it over
// the path, so that a failed write leaves the path as it was and no partial
// file. Refuses a shader that the reader would refuse. On failure, false
// with the error naming the file and the reason: "shaders/plastic.qso: No
// such file or directory".
bool writeShaderFile(const ShaderCode& code, const std::string& path, std::string& error);

// The shader of a text in this format, checked as described above; none,
// with the error naming the line ("line 7: unknown opcode 'ad'"), when the
// text is not a valid shader.
std::optional<ShaderCode> readShader(std::string_view text, std::string& error);

// The same for a file; the error names it and the line:
// "plastic.qso:7: unknown opcode 'ad'", "plastic.qso: is a directory".
std::optional<ShaderCode> readShaderFile(const std::string& path, std::string& error);

inline constexpr int kShaderFileVersion = 1;
inline constexpr std::size_t kMaxFileBytes = std::size_t(64) << 20;
inline constexpr std::size_t kMaxRegisters = 1'000'000;
inline constexpr std::size_t kMaxInstructions = 10'000'000;
inline constexpr int kMaxArrayLength = 1 << 20;
inline constexpr std::size_t kMaxStringBytes = std::size_t(64) << 10;

} // namespace quelmark::sl

#endif
