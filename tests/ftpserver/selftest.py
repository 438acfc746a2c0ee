#!/usr/bin/python3
"""Runs the test bed's own tests (selftests/test_*.py) with unittest."""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

if __name__ == '__main__':
    sys.dont_write_bytecode = True  # keep the source tree clean
    suite = unittest.defaultTestLoader.discover(os.path.join(HERE, 'selftests'),
                                                top_level_dir=os.path.join(HERE, 'selftests'))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)
