// TEMPORARY placeholders so that everything links; the fonts, text, lines and points of the
// render device replace this file entirely. Every operation here fails or draws nothing.
#include "OXED3D.h"

HRESULT OXED3D::CreateArialFont(UINT, UINT, bool, UINT, UINT, int, UINT*) { return OXE_FAIL; } // TEMPORARY
HRESULT OXED3D::DrawFormattedText(UINT, int, int, BYTE, BYTE, BYTE, const char*, ...) { return OXE_FAIL; } // TEMPORARY
void OXED3D::FillRect(int, int, int, int, BYTE, BYTE, BYTE, BYTE) {}                  // TEMPORARY
void OXED3D::DrawLine(int, int, int, int, int, BYTE, BYTE, BYTE, BYTE) {}             // TEMPORARY
void OXED3D::DrawTextAt(UINT, const char*, int, int, BYTE, BYTE, BYTE, BYTE) {}       // TEMPORARY
void OXED3D::DrawRectOutline(int, int, int, int, int, BYTE, BYTE, BYTE, BYTE) {}      // TEMPORARY
void OXED3D::DrawPoint(int, int, int, BYTE, BYTE, BYTE, BYTE) {}                      // TEMPORARY
void OXED3D::DrawTextWithFont(const char*, int, int, const char*, int, UINT, UINT, BYTE, BYTE, BYTE, BYTE) {} // TEMPORARY
void OXED3D::DrawTextInFamily(int, UINT, const char*, int, int, BYTE, BYTE, BYTE, BYTE) {} // TEMPORARY
HRESULT OXED3D::CreateFontInSlot(UINT, const char*, int, UINT, UINT, bool) { return OXE_FAIL; } // TEMPORARY
HRESULT OXED3D::CreatePlainFontInSlot(UINT, int, UINT, UINT, UINT) { return OXE_FAIL; } // TEMPORARY
void OXED3D::CreateDefaultFonts() {}                                                    // TEMPORARY

// Releases every font-table entry and the font list (nothing fills them yet).
void OXED3D::ReleaseTextObjects()
{
    for (ID3DXFont*& font : m_fontTable) {
        if (font) font->Release();
        font = nullptr;
    }
    for (UINT i = 0; i < m_fontCount; ++i)
        if (m_fontList[i]) m_fontList[i]->Release();
    delete[] m_fontList;
    m_fontList = nullptr;
    m_fontCount = 0;
}
