#pragma once
// What the settings and about windows are built with in tests: a model over fakes in its own
// test home, and an updater over a fake update machinery.
#include "../services/AppModelFakes.h"
#include "FakeUpdaterController.h"
#include "services/Updater.h"

#include <memory>

struct ModelAndUpdater {
    ModelFixture fx;
    std::unique_ptr<AppModel> model;
    FakeUpdaterController* controller = nullptr;
    std::unique_ptr<Updater> updater;

    // `canCheck` is what the machinery reports first; `configured` whether the build has a feed.
    explicit ModelAndUpdater(bool canCheck = true, bool configured = true) : model(fx.makeModel())
    {
        replaceUpdater(canCheck, configured);
    }

    void replaceUpdater(bool canCheck, bool configured)
    {
        auto c = std::make_unique<FakeUpdaterController>();
        c->can = canCheck;
        controller = c.get();
        updater = std::make_unique<Updater>(std::move(c), configured);
    }
};

// A test class's hold on a fresh ModelAndUpdater for each test: `fx`, `model`, `controller` and
// `updater` point into the one made by renew() until drop().
class WithModelAndUpdater {
protected:
    void renew(bool canCheck = true, bool configured = true)
    {
        m_env = std::make_unique<ModelAndUpdater>(canCheck, configured);
        point();
    }
    void replaceUpdater(bool canCheck, bool configured)
    {
        m_env->replaceUpdater(canCheck, configured);
        point();
    }
    void drop()
    {
        fx = nullptr;
        model = nullptr;
        controller = nullptr;
        updater = nullptr;
        m_env.reset();
    }

    ModelFixture* fx = nullptr;
    AppModel* model = nullptr;
    FakeUpdaterController* controller = nullptr;
    Updater* updater = nullptr;

private:
    void point()
    {
        fx = &m_env->fx;
        model = m_env->model.get();
        controller = m_env->controller;
        updater = m_env->updater.get();
    }

    std::unique_ptr<ModelAndUpdater> m_env;
};
