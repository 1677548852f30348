// The window manager's image cache: images loaded once per name, for the window or shared.
#include "WindowManagerUI.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "WindowManagerState.h"

namespace Veneer {

using namespace manager_detail;

TImageData* CWindowManagerUI::AddImage(const wchar_t* name, const wchar_t* type, uint32_t mask,
                                       bool keepPixelCopy, bool shared) {
    if (name == nullptr || *name == L'\0') return nullptr;
    TImageData* image = nullptr;
    if (type != nullptr) {
        if (!iswdigit(*name)) return nullptr;
        UINT id = static_cast<UINT>(wcstoul(name, nullptr, 10));
        image = CRenderer::LoadImage(id, type, mask);
    } else {
        image = CRenderer::LoadImage(name, nullptr, mask);
    }
    if (image == nullptr) return nullptr;
    image->adjustable = keepPixelCopy;
    image->resourceType = type;
    image->mask = mask;
    if (keepPixelCopy) {
        size_t bytes = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4u;
        image->unadjustedPixels = static_cast<uint32_t*>(malloc(bytes));
        if (image->unadjustedPixels)
            memcpy(image->unadjustedPixels, image->pixels, bytes);
        else
            image->adjustable = false;
    }
    short h, s, l;
    if (GetHSL(&h, &s, &l)) CRenderer::AdjustImageHsl(true, image, h, s, l);

    CUIStringMap& map = shared ? State().shared.images : m_resources.images;
    if (auto* old = static_cast<TImageData*>(map.Find(name, true))) {
        // Controls drawn from the old image still hold its address; keep it alive.
        map.Remove(name);
        (shared ? State().retiredSharedImages : m_retiredImages).Add(old);
    }
    if (!map.Insert(name, image)) {
        CRenderer::ReleaseImage(image, true);
        return nullptr;
    }
    return image;
}

TImageData* CWindowManagerUI::GetImage(const wchar_t* name) {
    if (name == nullptr) return nullptr;
    auto* image = static_cast<TImageData*>(m_resources.images.Find(name, true));
    if (image == nullptr) image = static_cast<TImageData*>(State().shared.images.Find(name, true));
    return image;
}

TImageData* CWindowManagerUI::GetOrLoadImage(const wchar_t* name, const wchar_t* type,
                                             uint32_t mask, bool keepPixelCopy) {
    if (TImageData* image = GetImage(name)) return image;
    if (AddImage(name, type, mask, keepPixelCopy, false) == nullptr) return nullptr;
    return static_cast<TImageData*>(m_resources.images.Find(name, true));
}

void CWindowManagerUI::RemoveAllImages(bool shared) {
    ClearMap<TImageData>(shared ? State().shared.images : m_resources.images,
                         [](TImageData* image) { CRenderer::ReleaseImage(image, true); });
}

}  // namespace Veneer
