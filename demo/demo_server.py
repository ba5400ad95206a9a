# The demo FTP server of scripts/run: serves a directory on 127.0.0.1 at a free port to
# anonymous users (read only) and to the user "demo" (password "demo", may upload).
# Prints the port on its first line of output once it listens.
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root = sys.argv[1]
auth = DummyAuthorizer()
auth.add_user("demo", "demo", root, perm="elradfmwMT")
auth.add_anonymous(root)
FTPHandler.authorizer = auth
FTPHandler.banner = "MIRVAN32 demo server ready"
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
