// One enumerator template for connection points and connections.
#include "enumerators.h"

#include <algorithm>

#include "module_state.h"

namespace netpull::activex {
namespace {

void Keep(IConnectionPoint* point) {
    point->AddRef();
}
void Drop(IConnectionPoint* point) {
    point->Release();
}
void Keep(const CONNECTDATA& connection) {
    connection.pUnk->AddRef();
}
void Drop(const CONNECTDATA& connection) {
    connection.pUnk->Release();
}

template <typename Interface, typename Item>
class Enumerator final : public Interface {
  public:
    Enumerator(std::vector<Item> items, const IID& iid) : items_(std::move(items)), iid_(iid) {
        for (const Item& item : items_) Keep(item);
        ObjectCreated();
    }
    ~Enumerator() {
        for (const Item& item : items_) Drop(item);
        ObjectDestroyed();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (riid != IID_IUnknown && riid != iid_) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
        if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        ULONG given = 0;
        for (; given < count && at_ < items_.size(); ++given, ++at_) {
            out[given] = items_[at_];
            Keep(out[given]);
        }
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = items_.size() - at_;
        at_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        at_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** copy) override {
        if (copy == nullptr) return E_POINTER;
        auto* clone = new Enumerator(items_, iid_);
        clone->at_ = at_;
        *copy = clone;
        return S_OK;
    }

  private:
    std::vector<Item> items_;
    const IID& iid_;
    std::size_t at_ = 0;
    ULONG references_ = 1;
};

}  // namespace

IEnumConnectionPoints* EnumerateConnectionPoints(std::vector<IConnectionPoint*> points) {
    return new Enumerator<IEnumConnectionPoints, IConnectionPoint*>(std::move(points),
                                                                    IID_IEnumConnectionPoints);
}

IEnumConnections* EnumerateConnections(std::vector<CONNECTDATA> connections) {
    return new Enumerator<IEnumConnections, CONNECTDATA>(std::move(connections),
                                                         IID_IEnumConnections);
}

}  // namespace netpull::activex
