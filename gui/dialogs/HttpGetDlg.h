// The "HTTP GET" dialog: one web address downloaded to a local file.
#pragma once
