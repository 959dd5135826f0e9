#!/usr/bin/python3
"""Debian's Radicale as the sync tests run it: the installed server with
its given configuration, except that its storage does not fsync (an
internal option its configuration file refuses), because the tests keep
nothing beyond their run and a thousand fsyncs take a minute here.

    radicale_server.py CONFIG
"""
import sys

import radicale.config as config

_update = config.Configuration.update
config.Configuration.update = lambda self, cfg, source=None, privileged=False: _update(self, cfg, source, True)

import radicale.__main__ as main  # noqa: E402

sys.argv = ["radicale", "--config", sys.argv[1]]
main.run()
