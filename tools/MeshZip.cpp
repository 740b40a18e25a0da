// MeshZip: writes real meshes in the text .x form and in the compressed text form ("tzip"),
// compressed with zlib's deflate, for the tests of the mesh loaders. A host program run at build
// time; the files land next to the built programs.
//
//   MeshZip <folder>
//
// Files written (each compressed file inflates to exactly the text file beside it):
//   torus.x            a torus of 48 x 32 quads in two materials, with normals and texture
//                      coordinates (about 190 KB of text)
//   torus_fixed.x      torus.x compressed with fixed Huffman codes only (zlib's Z_FIXED)
//   torus_dynamic.x    torus.x compressed with zlib's default strategy: dynamic Huffman codes
//   torus_history.x    as torus_dynamic.x, each block compressed with the blocks before it as
//                      its history, so that back references reach into earlier blocks
//   quad.x, quad_fixed.x, quad_dynamic.x   a square of two triangles, the same three ways
//                      (small enough to seed the fuzzer of the mesh check)
//
// The compressed form: the 16-byte header "xof 0303tzip0032", the inflated size (header
// included) as a 32-bit word, then blocks of at most 32768 inflated bytes: inflated size and
// stored size (16 bits each; the stored size counts the signature), the signature "CK", and one
// raw deflate stream ending with a final block.
#include <zlib.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kTextHeader[] = "xof 0303txt 0032";
const char kZipHeader[] = "xof 0303tzip0032";
const size_t kHeaderSize = 16;
const size_t kBlockSize = 32768;

enum class Coding { Fixed, Dynamic, DynamicWithHistory };

void Append(std::string& s, const char* format, double a, double b, double c)
{
    char line[128];
    snprintf(line, sizeof line, format, a, b, c);
    s += line;
}

// A torus around the y axis: `around` x `across` quads, each two triangles; the first half of
// the rings in a red material, the rest in a blue one.
std::string TorusText(int around, int across)
{
    const double pi = 3.14159265358979323846, big = 1.0, small = 0.4;
    std::string positions, normals, coords;
    for (int i = 0; i <= around; ++i) {
        const double u = 2 * pi * i / around;
        for (int j = 0; j <= across; ++j) {
            const double v = 2 * pi * j / across;
            const double r = big + small * std::cos(v);
            const char* end = (i == around && j == across) ? ";;\n" : ";,\n";
            Append(positions, (std::string(" %.6f;%.6f;%.6f") + end).c_str(), r * std::cos(u), small * std::sin(v), r * std::sin(u));
            Append(normals, (std::string(" %.6f;%.6f;%.6f") + end).c_str(), std::cos(v) * std::cos(u), std::sin(v), std::cos(v) * std::sin(u));
            Append(coords, (std::string(" %.6f;%.6f") + end).c_str(), double(i) / around, double(j) / across, 0);
        }
    }
    const int vertices = (around + 1) * (across + 1), faces = 2 * around * across;
    std::string faceList, materialList;
    for (int i = 0; i < around; ++i)
        for (int j = 0; j < across; ++j) {
            const int a = i * (across + 1) + j, b = a + across + 1;
            const bool last = i == around - 1 && j == across - 1;
            faceList += " 3;" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(a + 1) + ";,\n";
            faceList += " 3;" + std::to_string(a + 1) + "," + std::to_string(b) + "," + std::to_string(b + 1) + (last ? ";;\n" : ";,\n");
            const char* material = i < around / 2 ? "0" : "1";
            materialList += std::string(" ") + material + ",\n " + material + (last ? ";;\n" : ",\n");
        }
    return std::string(kTextHeader) + "\n"
           "Material Red {\n 0.900000;0.100000;0.100000;1.000000;;\n 10.000000;\n 0.200000;0.200000;0.200000;;\n 0.000000;0.000000;0.000000;;\n}\n"
           "Material Blue {\n 0.100000;0.200000;0.900000;1.000000;;\n 10.000000;\n 0.200000;0.200000;0.200000;;\n 0.000000;0.000000;0.000000;;\n}\n"
           "Mesh Torus {\n " + std::to_string(vertices) + ";\n" + positions + " " + std::to_string(faces) + ";\n" + faceList +
           " MeshMaterialList {\n  2;\n  " + std::to_string(faces) + ";\n" + materialList + "  { Red }\n  { Blue }\n }\n"
           " MeshNormals {\n  " + std::to_string(vertices) + ";\n" + normals + "  " + std::to_string(faces) + ";\n" + faceList + " }\n"
           " MeshTextureCoords {\n  " + std::to_string(vertices) + ";\n" + coords + " }\n"
           "}\n";
}

std::string QuadText()
{
    return std::string(kTextHeader) + "\n"
           "Material White {\n 1.0;1.0;1.0;1.0;;\n 0.0;\n 0.0;0.0;0.0;;\n 0.0;0.0;0.0;;\n}\n"
           "Mesh Quad {\n 4;\n -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;;\n"
           " 2;\n 3;0,1,2;, 3;0,2,3;;\n"
           " MeshMaterialList { 1; 2; 0, 0;; { White } }\n"
           " MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
           "}\n";
}

void Put16(std::string& s, size_t v)
{
    s.push_back(char(v & 0xFF));
    s.push_back(char(v >> 8 & 0xFF));
}

// One raw deflate stream of `data`, with `history` (at most 32 KB) as the window before it.
bool Deflate(const std::string& data, const std::string& history, Coding coding, std::string& out)
{
    z_stream z;
    memset(&z, 0, sizeof z);
    const int strategy = coding == Coding::Fixed ? Z_FIXED : Z_DEFAULT_STRATEGY;
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, strategy) != Z_OK) return false;
    if (!history.empty() &&
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(history.data()), uInt(history.size())) != Z_OK) {
        deflateEnd(&z);
        return false;
    }
    std::vector<unsigned char> buffer(deflateBound(&z, uLong(data.size())) + 64);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = buffer.data();
    z.avail_out = uInt(buffer.size());
    const int result = deflate(&z, Z_FINISH);
    const size_t produced = buffer.size() - z.avail_out;
    deflateEnd(&z);
    if (result != Z_STREAM_END) return false;
    out.assign(reinterpret_cast<const char*>(buffer.data()), produced);
    return true;
}

// The compressed form of a text .x file.
bool Compress(const std::string& text, Coding coding, std::string& out)
{
    out = kZipHeader;
    const size_t total = text.size();
    for (int k = 0; k < 4; ++k) out.push_back(char(total >> (8 * k) & 0xFF));
    for (size_t at = kHeaderSize; at < text.size(); at += kBlockSize) {
        const std::string block = text.substr(at, kBlockSize);
        std::string history; // the text of the blocks before, at most one block back
        if (coding == Coding::DynamicWithHistory && at > kHeaderSize) {
            const size_t from = at - kHeaderSize > kBlockSize ? at - kBlockSize : kHeaderSize;
            history = text.substr(from, at - from);
        }
        std::string deflated;
        if (!Deflate(block, history, coding, deflated) || deflated.size() + 2 > 0xFFFF) return false;
        Put16(out, block.size());
        Put16(out, deflated.size() + 2);
        out += "CK" + deflated;
    }
    return true;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: MeshZip <folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    struct Mesh {
        const char* name;
        std::string text;
        bool withHistory;
    };
    const Mesh meshes[] = {{"torus", TorusText(48, 32), true}, {"quad", QuadText(), false}};
    for (const Mesh& m : meshes) {
        std::string fixed, dynamic, history;
        if (!Compress(m.text, Coding::Fixed, fixed) || !Compress(m.text, Coding::Dynamic, dynamic) ||
            (m.withHistory && !Compress(m.text, Coding::DynamicWithHistory, history))) {
            fprintf(stderr, "MeshZip: %s could not be compressed\n", m.name);
            return 1;
        }
        const std::string base = folder + m.name;
        if (!WriteFile(base + ".x", m.text) || !WriteFile(base + "_fixed.x", fixed) ||
            !WriteFile(base + "_dynamic.x", dynamic) || (m.withHistory && !WriteFile(base + "_history.x", history))) {
            fprintf(stderr, "MeshZip: cannot write %s files in %s\n", m.name, argv[1]);
            return 1;
        }
    }
    return 0;
}
