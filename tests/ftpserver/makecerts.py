#!/usr/bin/python3
"""Makes the certificates of the TLS tests in a folder:

  ca.pem                 a test CA (trust it with SSL_CERT_FILE)
  server.pem, server.key signed by the CA for 127.0.0.1, ::1 and localhost
  other.pem, other.key   signed by the CA for other.example (wrong host)
  self.pem, self.key     self-signed for 127.0.0.1 and localhost

usage: makecerts.py FOLDER (prints DONE when they are there)
"""

import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import NameOID


def _name(common):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, 'Tavo test bed'),
                      x509.NameAttribute(NameOID.COMMON_NAME, common)])


def _write(folder, stem, cert, key):
    with open(os.path.join(folder, stem + '.pem'), 'wb') as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    if key is not None:
        with open(os.path.join(folder, stem + '.key'), 'wb') as f:
            f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                      serialization.NoEncryption()))


def _certificate(subject, key, issuer, issuer_key, names, ca=False):
    now = datetime.datetime.utcnow()
    builder = (x509.CertificateBuilder()
               .subject_name(subject).issuer_name(issuer).public_key(key.public_key())
               .serial_number(x509.random_serial_number())
               .not_valid_before(now - datetime.timedelta(hours=1))
               .not_valid_after(now + datetime.timedelta(days=2))
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if names:
        builder = builder.add_extension(x509.SubjectAlternativeName(names), critical=False)
    if ca:
        builder = builder.add_extension(
            x509.KeyUsage(digital_signature=True, key_cert_sign=True, crl_sign=True, content_commitment=False,
                          key_encipherment=False, data_encipherment=False, key_agreement=False,
                          encipher_only=False, decipher_only=False), critical=True)
    return builder.sign(issuer_key, hashes.SHA256())


def main(folder):
    local = [x509.DNSName('localhost'), x509.IPAddress(ipaddress.ip_address('127.0.0.1')),
             x509.IPAddress(ipaddress.ip_address('::1'))]
    ca_key = ec.generate_private_key(ec.SECP256R1())
    ca_name = _name('Tavo test CA')
    ca = _certificate(ca_name, ca_key, ca_name, ca_key, None, ca=True)
    _write(folder, 'ca', ca, None)
    for stem, names in (('server', local), ('other', [x509.DNSName('other.example')])):
        key = ec.generate_private_key(ec.SECP256R1())
        _write(folder, stem, _certificate(_name(stem), key, ca_name, ca_key, names), key)
    key = ec.generate_private_key(ec.SECP256R1())
    _write(folder, 'self', _certificate(_name('self-signed'), key, _name('self-signed'), key, local), key)


if __name__ == '__main__':
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        sys.exit(__doc__)
    main(sys.argv[1])
    print('DONE', flush=True)
